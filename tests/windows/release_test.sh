#!/usr/bin/env bash
# The release, end to end: scripts/release.sh run twice, in this tree and in
# a copy of it in another folder, must give byte-identical archives; and
# what it gives must be what a user is promised: each zip holds exactly
# vexolin.dll, README.txt (naming the version, Windows line ends), LICENSE
# and CHANGELOG.md (as in the sources), SHA256SUMS matches the zips, the DLL passes every module check
# with the project's version in its version resource and in its name string.
#
#   tests/windows/release_test.sh WORK_DIR
#
# Builds win32 and win64 here and win32 again in the copy (the shipped DLL).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(realpath -m "${1:?usage: release_test.sh WORK_DIR}")"
cd "$root"

failures=0
fail() { echo "release-test: FAIL: $*" >&2; failures=$((failures + 1)); }

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git log -1 --format=%ct)"
fi
export SOURCE_DATE_EPOCH
version="$(sed -n 's/^project(Vexolin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
[ -n "$version" ] || { echo "release-test: ERROR: no project(Vexolin VERSION ...) in CMakeLists.txt" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"
# The copy: the files git knows (with their changes in the working tree), in
# a folder of another name and depth.
copy="$work/second-checkout/vexolin-source"
mkdir -p "$copy"
git ls-files -co --exclude-standard -z | xargs -0 cp --parents -t "$copy"

scripts/release.sh --skip-deps --build-dir "$work/build-a" --dist "$work/dist-a"
(cd "$copy" && scripts/release.sh --skip-deps --arch win32 --build-dir "$work/b/build" --dist "$work/b/dist")

# --- reproducible -----------------------------------------------------------
win32="vexolin-$version-win32.zip"
win64="vexolin-$version-win64.zip"
if cmp "$work/dist-a/$win32" "$work/b/dist/$win32"; then
  echo "release-test: $win32 is byte-identical from two folders"
else
  fail "$win32 differs between two builds of the same sources"
fi
if cmp "$work/build-a/win32/plugin/vexolin.dll" "$work/b/build/win32/plugin/vexolin.dll"; then
  echo "release-test: vexolin.dll (32-bit) is byte-identical from two folders"
else
  fail "the 32-bit vexolin.dll differs between two builds of the same sources"
fi
if [ "$(grep " $win32\$" "$work/dist-a/SHA256SUMS")" != "$(cat "$work/b/dist/SHA256SUMS")" ]; then
  fail "the SHA256SUMS lines of $win32 differ"
fi

# --- what the user gets -----------------------------------------------------
names="$(cut -d' ' -f3 "$work/dist-a/SHA256SUMS" | tr '\n' ' ')"
[ "$names" = "$win32 $win64 " ] || fail "SHA256SUMS names '$names', want '$win32 $win64'"
(cd "$work/dist-a" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the archives"

for arch in win32 win64; do
  zip="$work/dist-a/vexolin-$version-$arch.zip"
  listing="$(cmake -E tar tf "$zip" | tr '\n' ' ')"
  [ "$listing" = "CHANGELOG.md LICENSE README.txt vexolin.dll " ] ||
    fail "$arch: archive entries '$listing', want CHANGELOG.md LICENSE README.txt vexolin.dll, sorted"
  out="$work/unpacked-$arch"
  mkdir -p "$out"
  (cd "$out" && cmake -E tar xf "$zip")
  grep -q "^Vexolin $version - " "$out/README.txt" || fail "$arch: README.txt does not name version $version"
  ! grep -q '@' "$out/README.txt" || fail "$arch: README.txt has an unfilled @placeholder@"
  [ "$(tr -cd '\r' <"$out/README.txt" | wc -c)" -eq "$(wc -l <"$out/README.txt")" ] ||
    fail "$arch: README.txt does not have Windows line ends"
  cmp -s "$out/LICENSE" LICENSE || fail "$arch: LICENSE differs from the sources"
  cmp -s "$out/CHANGELOG.md" CHANGELOG.md || fail "$arch: CHANGELOG.md differs from the sources"
  grep -q "^## $version\b" "$out/CHANGELOG.md" || fail "$arch: CHANGELOG.md has no section for $version"
  case "$arch" in
    win32) prefix=i686-w64-mingw32 ;;
    win64) prefix=x86_64-w64-mingw32 ;;
  esac
  scripts/check-dll.sh "$prefix-objdump" "$out/vexolin.dll" --version "$version" --reproducible ||
    fail "$arch: the shipped vexolin.dll fails the module checks"
  # grep reads to the end (no -q): with pipefail, strings must not meet a closed pipe.
  "$prefix-strings" -a "$out/vexolin.dll" | grep "^Vexolin ver\.$version Copyright(C) [0-9]\{4\} The Vexolin developers\$" >/dev/null ||
    fail "$arch: no name string 'Vexolin ver.$version Copyright(C) ...' in vexolin.dll"
done

if [ "$failures" -ne 0 ]; then
  echo "release-test: $failures check(s) failed" >&2
  exit 1
fi
echo "release-test: all checks passed"
