#!/usr/bin/env python3
"""Prints the plain serial loops against the fast paths from a Google Benchmark
JSON report: for every benchmark that runs both (named BM_<what>/plain/<size>
and BM_<what>/new/<size>), the median wall times and how many times faster the
fast path is."""
import json
import re
import statistics
import sys


def medians(report):
    """The median wall time in ms of each plain or new benchmark: of its
    repetitions when the report lists them, else Google Benchmark's own."""
    repetitions = {}
    aggregated = {}
    for run in report["benchmarks"]:
        match = re.match(r"(BM_\w+)/(plain|new)/(\d+)", run["run_name"])
        if not match:
            continue
        name, path, size = match.groups()
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[run["time_unit"]]
        key = (name, int(size), path)
        if run.get("run_type") == "aggregate":
            if run.get("aggregate_name") == "median":
                aggregated[key] = run["real_time"] * scale
        else:
            repetitions.setdefault(key, []).append(run["real_time"] * scale)
    aggregated.update({key: statistics.median(times) for key, times in repetitions.items()})
    return aggregated


def main(path):
    with open(path) as file:
        times = medians(json.load(file))
    print(f"{'Benchmark':<28} {'Size':>6} {'Plain (ms)':>12} {'New (ms)':>10} {'Ratio':>7}")
    for name, size, _ in sorted(key for key in times if key[2] == "plain"):
        plain = times[(name, size, "plain")]
        new = times.get((name, size, "new"))
        if new:
            print(f"{name:<28} {size:>6} {plain:>12.3f} {new:>10.3f} {plain / new:>6.1f}x")


if __name__ == "__main__":
    main(sys.argv[1])
