#!/usr/bin/env bash
# The environment the shipped DLL is built in. Sourced by scripts/release.sh;
# run as `scripts/reproducible-env.sh COMMAND [ARG]...` (the mingw32 leg of
# scripts/test-all.sh), it runs COMMAND in it, so that the leg builds and
# tests the very bytes the release ships. Dates come from SOURCE_DATE_EPOCH,
# by default the date of the commit checked out.
if ! (return 0 2>/dev/null); then
  set -euo pipefail
  root="$(cd "$(dirname "$0")/.." && pwd)"
  die() { echo "reproducible-env: ERROR: $*" >&2; exit 1; }
  [ $# -gt 0 ] || die "usage: scripts/reproducible-env.sh COMMAND [ARG]..."
  run_command=1
fi
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  git -C "$root" rev-parse --git-dir >/dev/null 2>&1 ||
    die "not a git checkout: set SOURCE_DATE_EPOCH to the release's date (seconds since 1970)"
  SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct)"
  if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
    echo "WARNING: the working tree has changes that are not committed; these binaries are not those of commit $(git -C "$root" rev-parse --short HEAD)" >&2
  fi
fi
[[ "$SOURCE_DATE_EPOCH" =~ ^[0-9]+$ ]] || die "SOURCE_DATE_EPOCH '$SOURCE_DATE_EPOCH' is not a number of seconds"
# Nothing of this machine's set-up may reach the binaries: a fixed time zone
# and locale, and no compiler cache (a cached object built elsewhere would
# hide a path that leaks into the build).
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C CCACHE_DISABLE=1
unset CMAKE_CXX_COMPILER_LAUNCHER CMAKE_C_COMPILER_LAUNCHER CMAKE_BUILD_PARALLEL_LEVEL
umask 022
[ -z "${run_command:-}" ] || exec "$@"
