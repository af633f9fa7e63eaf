#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, when missing.
# Run as root (or with sudo available). Usage: scripts/install-deps.sh [group...]
#   groups: build (default), windows, linux32, release, fuzz, clang
set -euo pipefail

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(build)

packages=()
for g in "${groups[@]}"; do
  case "$g" in
    build) packages+=(build-essential cmake ninja-build pkg-config binutils
                      libgtest-dev libgmock-dev libbenchmark-dev
                      libpugixml-dev libtinyobjloader-dev locales libcli11-dev nlohmann-json3-dev libcairo2-dev) ;;
    windows) packages+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 wine64) ;;
    linux32) packages+=(g++-multilib qemu-user) ;;
    # scripts/release.sh: the Windows cross compilers and binutils, zip.
    release) packages+=(cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64
                        binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 zip) ;;
    fuzz) packages+=(clang libfuzzer-14-dev) ;;
    clang) packages+=(clang clang-tidy clang-format) ;;
    *) echo "install-deps: unknown group '$g'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}" >&2
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
