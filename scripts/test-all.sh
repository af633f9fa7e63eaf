#!/usr/bin/env bash
# Builds and runs every test leg. Installs what it needs on a fresh Debian 12
# machine; a leg whose tools cannot be had fails loudly, it is never skipped.
#
#   scripts/test-all.sh [LEG...]     (default: all legs, in this order)
#
# Legs:
#   default  optimised build, all tests
#   asan     AddressSanitizer and UndefinedBehaviorSanitizer build, all tests
#   tsan     ThreadSanitizer build of the unit tests; runs those of work on
#            side threads (the differential suites with four threads)
#   clang    optimised build with Debian's clang, all native tests
#   tidy     clang-tidy over the plug-in's rooms (.clang-tidy): zero findings
#   mingw32  the shipped 32-bit Windows DLL: export/import tables, SSE2-only
#            float code, and all tests with the 32-bit stand-in host, run
#            under 32-bit Wine (through qemu-i386 on a kernel that runs no
#            32-bit code: scripts/i386-emulation.sh)
#   release  scripts/release.sh twice (here and in a copy of the tree in
#            another folder): identical archives, their contents, SHA256SUMS,
#            the DLL's headers and version resource
#   mingw64  64-bit Windows DLL, stand-in host and all tests, run under Wine
#   linux32  32-bit x86 Linux build, all tests run under qemu-i386
set -euo pipefail
cd "$(dirname "$0")/.."

all_legs=(default asan tsan clang tidy mingw32 release mingw64 linux32)
legs=("$@")
[ ${#legs[@]} -eq 0 ] && legs=("${all_legs[@]}")

die() { echo "test-all: ERROR: $*" >&2; exit 1; }

need_groups=(build)
for leg in "${legs[@]}"; do
  case "$leg" in
    default | asan | tsan) ;;
    clang | tidy) need_groups+=(clang) ;;
    mingw32) need_groups+=(windows wine32) ;;
    mingw64) need_groups+=(windows) ;;
    release) need_groups+=(release) ;;
    linux32) need_groups+=(linux32) ;;
    *) die "unknown leg '$leg' (legs: ${all_legs[*]})" ;;
  esac
done
scripts/install-deps.sh $(printf '%s\n' "${need_groups[@]}" | sort -u)

# The tools each leg needs must be there now; say which one is missing.
require() {
  local leg="$1"; shift
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || [ -x "$tool" ] ||
      die "leg $leg needs $tool, which is not installed (scripts/install-deps.sh could not provide it)"
  done
}
# The qemu-i386 that runs 32-bit Wine here (see scripts/install-deps.sh).
qemu_i386="$(pwd)/build/_deps/qemu-i386/qemu-i386"
for leg in "${legs[@]}"; do
  case "$leg" in
    clang) require "$leg" clang++ ;;
    tidy) require "$leg" clang++ clang-tidy ;;
    mingw32)
      require "$leg" i686-w64-mingw32-g++ i686-w64-mingw32-objdump /usr/lib/wine/wine /usr/lib/wine/wine64
      scripts/i386-emulation.sh native || require "$leg" "$qemu_i386" ;;
    release) require "$leg" i686-w64-mingw32-g++ x86_64-w64-mingw32-g++ i686-w64-mingw32-objdump x86_64-w64-mingw32-objdump zip ;;
    mingw64) require "$leg" x86_64-w64-mingw32-g++ x86_64-w64-mingw32-objdump /usr/lib/wine/wine64 ;;
    linux32)
      require "$leg" qemu-i386
      echo 'int main() { return 0; }' | g++ -m32 -x c++ - -o /dev/null 2>/dev/null ||
        die "leg linux32: g++ -m32 cannot link (g++-multilib missing)" ;;
  esac
done

summary=()
for leg in "${legs[@]}"; do
  echo "=== $leg ==="
  start=$SECONDS
  if [ "$leg" = release ]; then
    tests/windows/release_test.sh build/release-test
    summary+=("$leg: passed in $((SECONDS - start)) s")
    continue
  fi
  if [ "$leg" = tidy ]; then
    cmake --preset clang >/dev/null
    scripts/clang-tidy.sh
    summary+=("$leg: passed in $((SECONDS - start)) s")
    continue
  fi
  cmake --preset "$leg"
  cmake --build --preset "$leg" -j2
  if [ "$leg" = mingw32 ]; then
    # qemu-i386 is registered for 32-bit programs for this leg only.
    scripts/i386-emulation.sh run --wineprefix "$(pwd)/build/mingw32/wineprefix" "$qemu_i386" \
      ctest --preset "$leg" -j2
  else
    ctest --preset "$leg" -j2
  fi
  summary+=("$leg: passed in $((SECONDS - start)) s")
done

echo "=== summary ==="
printf '%s\n' "${summary[@]}"
