#!/usr/bin/env python3
"""Independent reckoning of the golden world checksums.

Rebuilds every world of the golden table from the formulas alone, without
using any of the C++ code: its own seed fold, its own platform generator
(state * 214013 + 2531011), its own MT19937, and single-precision arithmetic
by rounding each double-precision result to float32 with struct. Every single
operation is exact that way: a double holds a float32 sum, difference,
product or quotient closely enough that the one rounding to float32 gives the
correctly rounded single-precision result. cos, sin, exp and pow are the C
library's double functions rounded once to float32, as in the generators.

Prints one line "<generator> <seed text as hex> <width> <length> <checksum>"
per world; the checksum is 32-bit FNV-1a over the four bytes of each height's
float32 bit pattern (least significant byte first), in the map's point order.
With --check, also reckons the filtered worlds of goldenworlds.cpp's second
table: each of its worlds through each 5 x 5 filter alone, then through all of
them in turn.

Usage: golden_worlds.py [--check goldenworlds.cpp]
"""

import math
import re
import struct
import sys
from array import array

MASK32 = 0xFFFFFFFF


def f32(value):
    """Round a double to the nearest float32 (ties to even)."""
    try:
        return struct.unpack("<f", struct.pack("<f", value))[0]
    except OverflowError:
        return math.copysign(math.inf, value)


def f32_bits(value):
    return struct.unpack("<I", struct.pack("<f", value))[0]


def add(a, b):
    return f32(a + b)


def sub(a, b):
    return f32(a - b)


def mul(a, b):
    return f32(a * b)


def div(a, b):
    if b == 0.0:
        if a == 0.0 or math.isnan(a):
            return math.nan
        return math.copysign(math.inf, a) * math.copysign(1.0, b)
    return f32(a / b)


def single_cos(a):
    return f32(math.cos(a))


def single_sin(a):
    return f32(math.sin(a))


def single_exp(a):
    try:
        return f32(math.exp(a))
    except OverflowError:
        return math.inf


def single_pow(base, exponent):
    return f32(math.pow(base, exponent))


# Seed ------------------------------------------------------------------------


def fold(text):
    slots = [0] * 16
    for i, byte in enumerate(text):
        slots[i % 16] = (slots[i % 16] + byte) & MASK32
    r = 0
    for a in slots:
        digits = len(str(a))
        multiplier = ((10**digits) & MASK32) + 1
        r = (r * multiplier + a) & MASK32
    return r


# Platform generator ----------------------------------------------------------


class Lcg:
    def __init__(self, seed):
        self.state = seed & MASK32

    def next(self):
        self.state = (self.state * 214013 + 2531011) & MASK32
        return (self.state >> 16) & 0x7FFF


def random_unit(lcg):
    return div(f32(float(lcg.next())), 32767.0)


def random_between(lcg, low, high):
    r = div(f32(float(lcg.next())), 32767.0)
    return add(mul(r, f32(float(high - low))), f32(float(low)))


# MT19937 ---------------------------------------------------------------------


class Mt19937:
    def __init__(self, seed):
        self.words = [seed & MASK32]
        for i in range(1, 624):
            previous = self.words[i - 1]
            self.words.append((1812433253 * (previous ^ (previous >> 30)) + i) & MASK32)
        self.index = 624

    def twist(self):
        w = self.words
        for i in range(624):
            y = (w[i] & 0x80000000) | (w[(i + 1) % 624] & 0x7FFFFFFF)
            value = w[(i + 397) % 624] ^ (y >> 1)
            if y & 1:
                value ^= 0x9908B0DF
            w[i] = value
        self.index = 0

    def next(self):
        if self.index >= 624:
            self.twist()
        y = self.words[self.index]
        self.index += 1
        y ^= y >> 11
        y ^= (y << 7) & 0x9D2C5680
        y ^= (y << 15) & 0xEFC60000
        y ^= y >> 18
        return y & MASK32


def unit(mt):
    return div(f32(float(mt.next())), 4294967296.0)


def uniform(mt, low, high):
    return add(mul(unit(mt), sub(high, low)), low)


def normal(mt, mean, deviation):
    while True:
        u1 = mul(2.0, unit(mt)) - 1.0  # widened: the subtraction is in double
        u2 = mul(2.0, unit(mt)) - 1.0
        s = u1 * u1 + u2 * u2
        if s < 1.0:
            break
    factor = math.sqrt(math.log(s) * -2.0 / s)
    return add(mul(f32(factor * u1), deviation), mean)


def uniform_integer(mt, low, high):
    r = high - low + 1
    while True:
        g = mt.next()
        if g // r < MASK32 // r or MASK32 % r == r - 1:
            return low + g % r


# Peaks -----------------------------------------------------------------------


def peak_height_function(centre_x, centre_y, spread_x, spread_y, height, angle):
    cos2 = mul(single_cos(angle), single_cos(angle))
    sin2 = mul(single_sin(angle), single_sin(angle))
    sin_double = single_sin(mul(2.0, angle))
    sx2 = mul(spread_x, spread_x)
    sy2 = mul(spread_y, spread_y)
    a = add(div(cos2, mul(2.0, sx2)), div(sin2, mul(2.0, sy2)))
    b = sub(div(sin_double, mul(4.0, sy2)), div(sin_double, mul(4.0, sx2)))
    c = add(div(sin2, mul(2.0, sx2)), div(cos2, mul(2.0, sy2)))

    def height_at(x, y):
        dx = sub(x, centre_x)
        dy = sub(y, centre_y)
        q = add(add(mul(a, mul(dx, dx)), mul(mul(mul(2.0, b), dx), dy)), mul(c, mul(dy, dy)))
        return mul(height, single_exp(-q))

    return height_at


def shape_draws(mt, width, length):
    spread_x = normal(mt, mul(f32(float(width)), 0.125), 4.0)
    spread_y = normal(mt, mul(f32(float(length)), 0.125), 4.0)
    area = f32(float((width * length) & MASK32))
    height = normal(mt, div(area, 200.0), div(area, 400.0))
    angle = uniform(mt, 0.0, f32(6.2831855))
    return spread_x, spread_y, height, angle


def compose(width, length, peaks):
    heights = []
    for x in range(width):
        for y in range(length):
            best = peaks[0](float(x), float(y))
            for peak in peaks[1:]:
                value = peak(float(x), float(y))
                if value > best:
                    best = value
            heights.append(best)
    return heights


# Generators ------------------------------------------------------------------


def fully_random(text, width, length):
    lcg = Lcg(fold(text))
    return [random_unit(lcg) for _ in range(width * length)]


def simple_peaks(text, width, length):
    v = fold(text)
    lcg = Lcg(v)
    mt = Mt19937(v)
    count = random_between(lcg, 4, 32)
    peaks = []
    i = 0
    while float(i) < count:
        centre_x = uniform(mt, 0.0, f32(float(width)))
        centre_y = uniform(mt, 0.0, f32(float(length)))
        peaks.append(peak_height_function(centre_x, centre_y, *shape_draws(mt, width, length)))
        i += 1
    return compose(width, length, peaks)


def peaks_chain(text, width, length):
    mt = Mt19937(fold(text))
    term_count = uniform_integer(mt, 1, 3)
    terms = []
    exponent = 0.0
    while exponent < float(term_count):
        terms.append((sub(mul(unit(mt), 4.0), 2.0), exponent))
        exponent += 1.0

    def curve(x):
        total = 0.0
        for coefficient, power in terms:
            total = add(total, mul(single_pow(x, power), coefficient))
        return total

    count = uniform_integer(mt, 4, 32)
    peaks = []
    for _ in range(count):
        centre_x = uniform(mt, 0.0, f32(float(width)))
        centre_y = normal(mt, curve(centre_x), 2.0)
        peaks.append(peak_height_function(centre_x, centre_y, *shape_draws(mt, width, length)))
    return compose(width, length, peaks)


GENERATORS = {"random": fully_random, "peaks": simple_peaks, "chain": peaks_chain}


def checksum(heights):
    h = 0x811C9DC5
    for z in heights:
        bits = f32_bits(z)
        for shift in (0, 8, 16, 24):
            h ^= (bits >> shift) & 0xFF
            h = (h * 0x01000193) & MASK32
    return h


# Filters ----------------------------------------------------------------------

# Coefficient k weights the neighbour at x offset k % 5 - 2 and y offset
# k // 5 - 2; the same five filters as goldenworlds.cpp, in its order.
BINOMIAL = (1, 4, 6, 4, 1)
FILTERS = [
    ("mean", [1] * 25),
    ("binomial", [BINOMIAL[k % 5] * BINOMIAL[k // 5] for k in range(25)]),
    ("skewed", [k % 7 - 2 for k in range(25)]),
    ("edges", [24 if k == 12 else -1 for k in range(25)]),
    ("negative", [k % 4 - 3 for k in range(25)]),
]


def convolve(heights, width, length, weights):
    """One filter over a whole map, a tap at a time: neighbours clamped to the
    map, zero weights skipped, each product and each sum rounded to float32 in
    ascending k, then divided by the weights' sum unless it is 0. Converting a
    list to array('f') rounds every element to float32 at once."""
    totals = array("f", [0.0]) * len(heights)
    for k, weight in enumerate(weights):
        if weight == 0:
            continue
        dx, dy = k % 5 - 2, k // 5 - 2
        columns = [min(max(x + dx, 0), width - 1) * length for x in range(width)]
        rows = [min(max(y + dy, 0), length - 1) for y in range(length)]
        sources = [heights[column + row] for column in columns for row in rows]
        products = array("f", [h * weight for h in sources])
        totals = array("f", [t + p for t, p in zip(totals, products)])
    divisor = sum(weights)
    return list(totals) if divisor == 0 else list(array("f", [t / divisor for t in totals]))


def filtered_checksums(heights, width, length):
    """Each filter alone, then all of them in turn."""
    sums = [checksum(convolve(heights, width, length, w)) for _, w in FILTERS]
    for _, weights in FILTERS:
        heights = convolve(heights, width, length, weights)
    return sums + [checksum(heights)]


# The golden worlds: generator, seed text, width, length.
WORLDS = [
    (generator, text, width, length)
    for generator in ("random", "peaks", "chain")
    for text, width, length in (
        (b"abc", 50, 50),
        (b"Terravik", 99, 99),
        (b"", 7, 5),
        (b"x", 1, 1),
        (b"\xff\x80 seventeen bytes", 20, 30),
    )
] + [("peaks", b"four 71101", 9, 9)]  # its first platform value is 0: exactly 4 peaks


def main():
    results = []
    worlds = []
    for generator, text, width, length in WORLDS:
        worlds.append(GENERATORS[generator](text, width, length))
        value = checksum(worlds[-1])
        results.append((generator, text.hex(), width, length, value))
        print(f"{generator} {text.hex() or '-'} {width} {length} 0x{value:08x}", flush=True)
    if len(sys.argv) == 3 and sys.argv[1] == "--check":
        with open(sys.argv[2], encoding="utf-8") as header:
            table = header.read()
        rows = re.findall(r'\{"[^"]*",.*0x([0-9a-fA-F]{8})u\},', table)
        recorded = [int(value, 16) for value in rows]
        if recorded != [r[4] for r in results]:
            print("The recorded checksums differ from this reckoning", file=sys.stderr)
            return 1
        # Rows {world index, {a checksum per filter, then all of them}}.
        filtered = re.findall(r"\{(\d+),\s+\{((?:0x[0-9a-f]{8}u, )+0x[0-9a-f]{8}u)\}\}", table)
        if not filtered:
            print("No filtered worlds found in the table", file=sys.stderr)
            return 1
        for index, values in filtered:
            _, _, width, length = WORLDS[int(index)]
            sums = filtered_checksums(worlds[int(index)], width, length)
            print(f"filtered {index}: " + " ".join(f"0x{value:08x}" for value in sums))
            if [int(value.rstrip("u"), 16) for value in values.split(", ")] != sums:
                print("The recorded filtered checksums differ from this reckoning", file=sys.stderr)
                return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
