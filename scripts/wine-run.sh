#!/usr/bin/env bash
# Runs a 64-bit Windows program under Wine, for ctest and test discovery.
#
#   wine-run.sh --prefix DIR [--path DIR]... PROGRAM [ARG]...
#
# --prefix  the Wine prefix to use; created (wineboot) on first use, under a
#           lock, so parallel tests do not race to create it.
# --path    a folder added to the Windows search path for DLLs (the
#           cross compiler's C++ runtime for the test programs).
# The program's exit code is passed on; carriage returns are removed from its
# standard output so that line-based readers (gtest discovery) see plain lines.
set -euo pipefail

prefix=""
paths=()
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix="$2"; shift 2 ;;
    --path) paths+=("$2"); shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
if [ -z "$prefix" ] || [ $# -eq 0 ]; then
  echo "wine-run: usage: wine-run.sh --prefix DIR [--path DIR]... PROGRAM [ARG]..." >&2
  exit 2
fi

wine=""
for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine="$candidate"; break; fi
done
if [ -z "$wine" ]; then
  echo "wine-run: ERROR: no wine64 found; install it with scripts/install-deps.sh windows" >&2
  exit 127
fi

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
# No Mono or Gecko installer prompts: the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
winpath=""
for p in "${paths[@]}"; do
  [ -z "$p" ] && continue
  winpath="${winpath:+$winpath;}Z:$(printf '%s' "$p" | tr '/' '\\')"
done
export WINEPATH="$winpath"

mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/system.reg" ]; then
    echo "wine-run: creating Wine prefix $prefix" >&2
    "$wine" wineboot --init >/dev/null 2>&1 || true
    # The registry files are written when the server shuts down.
    server=/usr/lib/wine/wineserver64
    [ -x "$server" ] || server="$(command -v wineserver || true)"
    [ -n "$server" ] && "$server" -w || true
    [ -f "$prefix/system.reg" ] || { echo "wine-run: ERROR: wineboot did not create $prefix" >&2; exit 1; }
  fi
) 9>"$prefix.lock"

# Keep one Wine server alive between the many short test runs (each would
# otherwise start and stop its own, which costs seconds per test). It exits
# by itself 30 seconds after the last program.
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server="$(command -v wineserver || true)"
[ -n "$server" ] && "$server" -p30 >/dev/null 2>&1 || true

set +e
"$wine" "$@" | tr -d '\r'
status=${PIPESTATUS[0]}
exit "$status"
