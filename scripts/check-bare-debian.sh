#!/usr/bin/env bash
# Tries the README's two commands the way a new user on a bare Debian 12 would:
# makes a minimal root (debootstrap --variant=minbase bookworm, as container
# images are), clones the committed HEAD of this repository into it, runs
# scripts/run.sh there (its set-up and build: with no display it stops before
# starting the program) and then scripts/test.sh, and ends with a summary of
# what each did and what failed. Exit status 0 when both did their part.
#
# Needs root (debootstrap, chroot, mounts) and Debian's mirror. The bare root
# is made once and kept in $TERRAVIK_BARE_DEBIAN_DIR (by default
# ~/.cache/terravik-bare-debian); every check starts from a fresh copy of it,
# which stays there after a failure for a look inside. It runs the whole suite
# from scratch (a quarter of an hour or more on two cores), so it is not
# part of the test command: run it after changing the set-up.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
# shellcheck source=scripts/setup.sh
source "$here/setup.sh"

mirror="${TERRAVIK_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
cache="${TERRAVIK_BARE_DEBIAN_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/terravik-bare-debian}"
bare="$cache/bookworm-minbase"
check="$cache/check"
logs="$cache/logs"
clone=/root/terravik

if ((EUID != 0)); then
  echo "$0 needs root: debootstrap, chroot and mount do" >&2
  exit 2
fi

# The mounts made in the check root, unmounted in reverse order on any exit:
# a root left with the host's /dev mounted in it must never be deleted.
mounts=()
unmount_all() {
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount "${mounts[i]}" 2>/dev/null || umount --lazy "${mounts[i]}" ||
      echo "could not unmount ${mounts[i]}" >&2
  done
  mounts=()
}
trap unmount_all EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

mount_in_root() { # mount_in_root <mount options...> <path in root>
  local target="$check${*: -1}"
  mount "${@:1:$#-1}" "$target"
  mounts+=("$target")
}

anything_mounted_under() {
  awk -v dir="$1/" 'index($2, dir) == 1 { found = 1 } END { exit !found }' /proc/self/mounts
}

remove_root() { # remove_root <dir>
  if anything_mounted_under "$1"; then
    echo "refusing to delete $1: something is still mounted in it" >&2
    exit 1
  fi
  rm -rf --one-file-system "$1"
}

# Debian 12 as a fresh image has it: up to date, with the updates and
# security suites in its sources.
make_bare_root() {
  if [[ -f "$bare/.complete" ]]; then
    echo "Reusing the bare root in $bare"
    return 0
  fi
  terravik_install_missing debootstrap
  local partial="$bare.partial"
  remove_root "$partial"
  mkdir -p "$cache"
  debootstrap --variant=minbase bookworm "$partial" "$mirror"
  rm -f "$partial/etc/apt/sources.list"
  cat >"$partial/etc/apt/sources.list.d/debian.sources" <<EOF
Types: deb
URIs: $mirror
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: ${mirror%/debian}/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  cp /etc/resolv.conf "$partial/etc/resolv.conf"
  chroot "$partial" apt-get update -q
  DEBIAN_FRONTEND=noninteractive chroot "$partial" apt-get upgrade -y -q
  chroot "$partial" apt-get clean
  touch "$partial/.complete"
  mv "$partial" "$bare"
}

prepare_check_root() {
  remove_root "$check"
  cp -a "$bare" "$check"
  cp /etc/resolv.conf "$check/etc/resolv.conf"
  # A chroot has no init: packages that ship services must not try to
  # start them here.
  printf '#!/bin/sh\nexit 101\n' >"$check/usr/sbin/policy-rc.d"
  chmod 755 "$check/usr/sbin/policy-rc.d"

  local commit
  commit="$(git -C "$root" rev-parse HEAD)"
  git clone --quiet --no-checkout "$root" "$check$clone"
  git -C "$check$clone" checkout --quiet --detach "$commit"
  echo "Checking commit $(git -C "$root" log -1 --format='%h %s' "$commit")"
  if [[ -n "$(git -C "$root" status --porcelain)" ]]; then
    echo "Note: the uncommitted changes in $root are not part of this check"
  fi

  mount_in_root -t proc proc /proc
  mount_in_root -t sysfs sysfs /sys
  mount_in_root --bind /dev /dev
  mount_in_root --bind /dev/pts /dev/pts
  mount_in_root -t tmpfs tmpfs /dev/shm
}

# in_root <log> <command>: runs a shell command in the clone, in the bare
# environment of a root login, showing its output and keeping it in <log>.
in_root() {
  local log="$1" command="$2"
  set +e
  chroot "$check" /usr/bin/env -i HOME=/root \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash -c "cd $clone && $command" 2>&1 | tee "$log"
  local status="${PIPESTATUS[0]}"
  set -e
  return "$status"
}

installed_packages() { # installed_packages <file>
  # shellcheck disable=SC2016 # dpkg-query expands these fields itself
  chroot "$check" dpkg-query -W -f '${db:Status-Abbrev} ${binary:Package} ${Version}\n' |
    awk '$1 == "ii" { print $2, $3 }' | sort >"$1"
}

# What a step did to the root's packages, between two installed_packages lists.
package_changes() { # package_changes <before> <after>
  awk 'NR == FNR { version[$1] = $2; next }
       !($1 in version) { added++ }
       ($1 in version) && version[$1] != $2 { upgraded++ }
       END { printf "%d packages installed, %d upgraded\n", added, upgraded }' "$1" "$2"
}

# The lines of a step's log worth a summary: what the set-up installed, each
# CTest total and failed test, failed build steps, apt errors and what the
# lint and the aarch64 check concluded.
notable_lines() { # notable_lines <log>
  grep -E '^(Installing: |E: |FAILED: |=== |No display found|lint: )|tests passed|^[[:space:]]+[0-9]+ - .*\(|found problems|other results than|makes the same|error: ' "$1" |
    sed 's/^/    /' || true
}

mkdir -p "$logs"
SECONDS=0
make_bare_root
prepare_check_root
echo "=== Bare root ready in ${SECONDS} s ==="

results=()
status=0
installed_packages "$logs/packages-bare.txt"

echo "=== scripts/run.sh (no display: it should build, then stop) ==="
SECONDS=0
run_status=0
in_root "$logs/run.log" scripts/run.sh || run_status=$?
installed_packages "$logs/packages-run.txt"
if ((run_status == 1)) && grep -q '^No display found' "$logs/run.log" &&
  [[ -x "$check$clone/build/app/terravik" ]]; then
  results+=("run.sh: PASS, built build/app/terravik and stopped for lack of a display (${SECONDS} s)")
else
  results+=("run.sh: FAIL, exit status $run_status, build/app/terravik $(
    [[ -x "$check$clone/build/app/terravik" ]] && echo built || echo missing) (${SECONDS} s)")
  status=1
fi
results+=("  $(package_changes "$logs/packages-bare.txt" "$logs/packages-run.txt")")

echo "=== scripts/test.sh ==="
SECONDS=0
test_status=0
in_root "$logs/test.log" scripts/test.sh || test_status=$?
installed_packages "$logs/packages-test.txt"
if ((test_status == 0)); then
  results+=("test.sh: PASS (${SECONDS} s)")
else
  results+=("test.sh: FAIL, exit status $test_status (${SECONDS} s)")
  status=1
fi
results+=("  $(package_changes "$logs/packages-run.txt" "$logs/packages-test.txt")")

echo
echo "=== Summary (logs and package lists in $logs) ==="
echo "${results[0]}"
echo "${results[1]}"
notable_lines "$logs/run.log"
echo "${results[2]}"
echo "${results[3]}"
notable_lines "$logs/test.log"
unmount_all
if ((status == 0)); then
  remove_root "$check"
  echo "Both commands work on a bare Debian 12."
else
  echo "The root they failed in is kept in $check."
fi
exit "$status"
