#!/usr/bin/env bash
# Builds and runs every test leg. Installs what it needs on a fresh Debian 12
# machine. Every leg asked for runs, even after another one failed, and the
# run ends with a summary: each leg passed, failed (with the failing step) or
# could not run (with the tool that could not be installed). A leg whose
# tools cannot be had fails loudly; it is never skipped. Exits 0 only when
# every leg passed.
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
#   release  scripts/release.sh twice (here and in a copy of the tree in
#            another folder): identical archives, their contents, SHA256SUMS,
#            the DLL's headers and version resource
#   mingw32  the shipped 32-bit Windows DLL, built exactly as the release
#            builds it: its SHA-256 must equal that of vexolin.dll in the
#            release's win32 zip (the release leg's, or one made here when
#            that leg is not run); export/import tables, SSE2-only float
#            code, and all tests with the 32-bit stand-in host, run under
#            32-bit Wine (through qemu-i386 on a kernel that runs no 32-bit
#            code: scripts/i386-emulation.sh)
#   mingw64  64-bit Windows DLL, stand-in host and all tests, run under Wine
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

all_legs=(default asan tsan clang tidy release mingw32 mingw64)
legs=("$@")
[ ${#legs[@]} -eq 0 ] && legs=("${all_legs[@]}")

die() { echo "test-all: ERROR: $*" >&2; exit 1; }

need_groups=(build)
for leg in "${legs[@]}"; do
  case "$leg" in
    default | asan | tsan) ;;
    clang | tidy) need_groups+=(clang) ;;
    mingw32) need_groups+=(windows wine32 release) ;;
    mingw64) need_groups+=(windows) ;;
    release) need_groups+=(release) ;;
    *) die "unknown leg '$leg' (legs: ${all_legs[*]})" ;;
  esac
done
# A group that cannot be installed is reported there; the legs that need it
# say below which tool they lack.
scripts/install-deps.sh $(printf '%s\n' "${need_groups[@]}" | sort -u) ||
  echo "test-all: some packages could not be installed; the legs that need them cannot run" >&2

# The qemu-i386 that runs 32-bit Wine on a kernel without 32-bit support.
qemu_i386="$root/build/_deps/qemu-i386/qemu-i386"

# The first tool leg $1 needs that is missing, or nothing.
missing_tool() {
  local tool tools=(cmake ninja)
  case "$1" in
    clang) tools+=(clang++) ;;
    tidy) tools+=(clang++ clang-tidy) ;;
    release) tools+=(i686-w64-mingw32-g++ x86_64-w64-mingw32-g++ i686-w64-mingw32-objdump x86_64-w64-mingw32-objdump zip) ;;
    mingw32) tools+=(i686-w64-mingw32-g++ i686-w64-mingw32-objdump zip /usr/lib/wine/wine /usr/lib/wine/wine64)
             scripts/i386-emulation.sh native || tools+=("$qemu_i386") ;;
    mingw64) tools+=(x86_64-w64-mingw32-g++ x86_64-w64-mingw32-objdump /usr/lib/wine/wine64) ;;
  esac
  for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null 2>&1 || [ -x "$tool" ] || { echo "$tool"; return; }
  done
}

# Runs one step of a leg: "$1" names it in the summary, the rest is the
# command. Sets failed_step on failure.
failed_step=""
step() {
  local name="$1"; shift
  [ -z "$failed_step" ] || return 1
  echo "--- $current: $name"
  "$@" || { failed_step="$name"; return 1; }
}

# The shipped DLL's SHA-256 against that of the DLL in the release's win32 zip.
same_as_shipped() {
  local version zip dll_sum zip_sum unpacked
  version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/mingw32/CMakeCache.txt)"
  zip="build/release-test/dist-a/vexolin-$version-win32.zip"
  if [ "$release_passed" -ne 1 ]; then
    # No release leg in this run: make the win32 zip as the release does.
    zip="build/mingw32-release/dist/vexolin-$version-win32.zip"
    scripts/release.sh --skip-deps --arch win32 --build-dir build/mingw32-release/build \
      --dist build/mingw32-release/dist >/dev/null || return 1
  fi
  [ -f "$zip" ] || { echo "test-all: no $zip" >&2; return 1; }
  unpacked="$(mktemp -d)"
  (cd "$unpacked" && cmake -E tar xf "$root/$zip" vexolin.dll) || { rm -rf "$unpacked"; return 1; }
  zip_sum="$(sha256sum <"$unpacked/vexolin.dll" | cut -d' ' -f1)"
  rm -rf "$unpacked"
  dll_sum="$(sha256sum <build/mingw32/plugin/vexolin.dll | cut -d' ' -f1)"
  echo "test-all: tested vexolin.dll $dll_sum; $(basename "$zip") holds $zip_sum"
  [ "$dll_sum" = "$zip_sum" ] || { echo "test-all: the tested DLL is not the shipped one" >&2; return 1; }
}

run_leg() {
  case "$current" in
    release) step "release twice, compared" tests/windows/release_test.sh build/release-test ;;
    tidy) step configure cmake --preset clang >/dev/null && step clang-tidy scripts/clang-tidy.sh ;;
    mingw32)
      # Configured and built in the release's environment (dates, locale, no
      # compiler cache), from the release's flags (the preset inherits them).
      step configure scripts/reproducible-env.sh cmake --preset mingw32 &&
        step build scripts/reproducible-env.sh cmake --build --preset mingw32 -j2 &&
        step "same bytes as the shipped DLL" same_as_shipped &&
        step ctest scripts/i386-emulation.sh run --wineprefix "$root/build/mingw32/wineprefix" "$qemu_i386" \
          ctest --preset mingw32 -j2 ;;
    *) step configure cmake --preset "$current" && step build cmake --build --preset "$current" -j2 &&
         step ctest ctest --preset "$current" -j2 ;;
  esac
}

summary=()
all_passed=1
release_passed=0
for current in "${legs[@]}"; do
  echo "=== $current ==="
  start=$SECONDS
  failed_step=""
  tool="$(missing_tool "$current")"
  if [ -n "$tool" ]; then
    echo "test-all: leg $current cannot run: it needs $tool, which could not be installed" >&2
    summary+=("$(printf '%-8s could not run: %s is not installed' "$current" "$tool")")
    all_passed=0
    continue
  fi
  run_leg
  if [ -z "$failed_step" ]; then
    summary+=("$(printf '%-8s passed in %d s' "$current" $((SECONDS - start)))")
    [ "$current" = release ] && release_passed=1
  else
    summary+=("$(printf '%-8s FAILED at step "%s" after %d s' "$current" "$failed_step" $((SECONDS - start)))")
    all_passed=0
  fi
done

echo "=== summary ==="
printf '%s\n' "${summary[@]}"
[ "$all_passed" -eq 1 ]
