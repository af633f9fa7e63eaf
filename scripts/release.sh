#!/usr/bin/env bash
# Builds the release archives from fresh build folders:
#   dist/vexolin-<version>-win32.zip   the shipped 32-bit DLL
#   dist/vexolin-<version>-win64.zip   the 64-bit DLL
#   dist/SHA256SUMS
# each zip holding vexolin.dll, README.txt, LICENSE and CHANGELOG.md.
#
#   scripts/release.sh [--arch win32|win64]... [--build-dir DIR] [--dist DIR] [--skip-deps]
#
# The build is reproducible: the same commit built in any folder gives the
# same bytes. Dates come from SOURCE_DATE_EPOCH, by default the date of the
# commit checked out (git); outside a git checkout it must be set.
# Installs what it needs on a fresh Debian 12 machine (scripts/install-deps.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

die() { echo "release: ERROR: $*" >&2; exit 1; }

archs=()
build_dir="$root/build/release"
dist="$root/dist"
skip_deps=0
while [ $# -gt 0 ]; do
  case "$1" in
    --arch) [ $# -ge 2 ] || die "--arch needs win32 or win64"
            case "$2" in win32 | win64) archs+=("$2") ;; *) die "unknown --arch '$2' (win32, win64)" ;; esac
            shift 2 ;;
    --build-dir) [ $# -ge 2 ] || die "--build-dir needs a folder"; build_dir="$(realpath -m "$2")"; shift 2 ;;
    --dist) [ $# -ge 2 ] || die "--dist needs a folder"; dist="$(realpath -m "$2")"; shift 2 ;;
    --skip-deps) skip_deps=1; shift ;;
    -h | --help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) die "unknown option '$1' (see --help)" ;;
  esac
done
[ ${#archs[@]} -eq 0 ] && archs=(win32 win64)

[ "$skip_deps" -eq 1 ] || scripts/install-deps.sh release

# shellcheck source=scripts/reproducible-env.sh
. "$root/scripts/reproducible-env.sh"

mkdir -p "$dist"
for arch in "${archs[@]}"; do
  echo "=== release $arch ==="
  dir="$build_dir/$arch"
  rm -rf "$dir"
  cmake --preset "release-$arch" -B "$dir" >/dev/null
  cmake --build "$dir" --target vexolin -j2
  version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")"
  [ -n "$version" ] || die "no project version in $dir/CMakeCache.txt"
  case "$arch" in
    win32) objdump=i686-w64-mingw32-objdump ;;
    win64) objdump=x86_64-w64-mingw32-objdump ;;
  esac
  zip_name="vexolin-$version-$arch.zip"
  rm -rf "$dir/packages" "$dist/$zip_name"
  cpack --config "$dir/CPackConfig.cmake" -B "$dir/packages" >/dev/null
  [ -f "$dir/packages/$zip_name" ] || die "CPack made no $zip_name"
  mv "$dir/packages/$zip_name" "$dist/$zip_name"

  # What a user unpacks: the four files, and a DLL that passes every check.
  unpacked="$dir/unpacked"
  rm -rf "$unpacked" && mkdir -p "$unpacked"
  (cd "$unpacked" && cmake -E tar xf "$dist/$zip_name")
  entries="$(cd "$unpacked" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort | tr '\n' ' ')"
  [ "$entries" = "CHANGELOG.md LICENSE README.txt vexolin.dll " ] ||
    die "$zip_name holds '$entries', want CHANGELOG.md LICENSE README.txt vexolin.dll"
  scripts/check-dll.sh "$objdump" "$unpacked/vexolin.dll" --version "$version" --reproducible
done

# One line per archive present in dist/, sorted by name.
(cd "$dist" && LC_ALL=C ls vexolin-*.zip | xargs sha256sum >SHA256SUMS)
echo "=== release: $dist ==="
(cd "$dist" && sha256sum -c SHA256SUMS)
