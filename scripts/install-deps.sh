#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, when missing.
# Run as root (or with sudo available). Usage: scripts/install-deps.sh [group...]
#   groups: build (default), windows, wine32, linux32, release, fuzz, clang
# wine32 (32-bit Windows programs, the shipped module's tests): the i386
# architecture and Wine's 32-bit loader; on a kernel that runs no 32-bit code,
# also a qemu-i386 of version 8 or newer (scripts/fetch-qemu-i386.sh, into
# build/_deps/qemu-i386: Debian 12's own qemu-user is far too slow for Wine).
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
    wine32) packages+=(wine64 wine32:i386 binutils) ;;
    linux32) packages+=(g++-multilib qemu-user) ;;
    # scripts/release.sh: the Windows cross compilers and binutils, zip.
    release) packages+=(cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64
                        binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 zip) ;;
    fuzz) packages+=(clang libfuzzer-14-dev) ;;
    clang) packages+=(clang clang-tidy clang-format) ;;
    *) echo "install-deps: unknown group '$g'" >&2; exit 2 ;;
  esac
done

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

for g in "${groups[@]}"; do
  if [ "$g" = wine32 ]; then
    # Packages of the i386 architecture (wine32:i386) need it enabled first.
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      echo "install-deps: enabling the i386 architecture" >&2
      $SUDO dpkg --add-architecture i386
    fi
  fi
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}" >&2
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

for g in "${groups[@]}"; do
  if [ "$g" = wine32 ] && ! "$(dirname "$0")/i386-emulation.sh" native; then
    "$(dirname "$0")/fetch-qemu-i386.sh" "$(cd "$(dirname "$0")/.." && pwd)/build/_deps/qemu-i386"
  fi
done
