#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Terravik
# need, and only those that are missing, so a second run costs nothing.
# Sourced by run.sh and test.sh; safe to run on its own.
set -euo pipefail

# libtiff and OpenEXR write the float height maps; GNU parallel runs the tile
# jobs of scripts/build-tiles.sh.
# A bare Debian root (debootstrap minbase, a container image) has neither git,
# which the lint and the line counts list the sources with, nor file, which
# CPack's Debian generator reads the libraries' dependencies with.
TERRAVIK_PACKAGES=(
  cmake ninja-build g++ pkg-config python3 git file
  qtbase5-dev libqt5opengl5-dev libglu1-mesa-dev
  libtiff-dev libopenexr-dev parallel
  xvfb xauth libgl1-mesa-dri fonts-dejavu-core
  libbenchmark-dev
  clang libclang-rt-14-dev clang-format clang-tidy
  xdotool imagemagick desktop-file-utils dpkg-dev libxml2-utils groff-base
  appstream shared-mime-info time faketime
)

# The cross compiler, the arm64 Qt the core links (libraries, headers, CMake
# files; the OpenGL ones only because the top CMakeLists looks for them) and
# qemu to run the result: the ARM64 golden-world check's needs. libtiff and
# OpenEXR are not among them: the cross build makes the core alone, and
# Debian's OpenEXR headers install for one architecture only.
TERRAVIK_ARM64_PACKAGES=(
  g++-aarch64-linux-gnu qemu-user
  qtbase5-dev:arm64 libqt5concurrent5:arm64 libqt5opengl5-dev:arm64 libglu1-mesa-dev:arm64
)

terravik_install_packages() {
  terravik_install_missing "${TERRAVIK_PACKAGES[@]}"
}

terravik_install_arm64_packages() {
  local sudo=()
  if ((EUID != 0)); then sudo=(sudo); fi
  if ! dpkg --print-foreign-architectures | grep -qx arm64; then
    "${sudo[@]}" dpkg --add-architecture arm64
  fi
  terravik_install_missing "${TERRAVIK_ARM64_PACKAGES[@]}"
}

# terravik_install_missing <package...>: apt-get installs those not installed.
terravik_install_missing() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  if ((${#missing[@]} == 0)); then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  local sudo=()
  if ((EUID != 0)); then sudo=(sudo); fi
  "${sudo[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# terravik_build <build-dir> [cmake options...] [-- build options...]:
# configures once, then builds incrementally (everything, or what the build
# options name, e.g. -- --target terravik_core_tests).
terravik_build() {
  local dir="$1"
  shift
  local configure=()
  while (($# > 0)) && [[ "$1" != -- ]]; do
    configure+=("$1")
    shift
  done
  if (($# > 0)); then shift; fi
  local root
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  if [[ ! -f "$root/$dir/build.ninja" ]]; then
    cmake -S "$root" -B "$root/$dir" -G Ninja "${configure[@]}"
  fi
  cmake --build "$root/$dir" -j "$(nproc)" "$@"
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
  terravik_install_packages
fi
