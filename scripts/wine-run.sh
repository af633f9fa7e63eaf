#!/usr/bin/env bash
# Runs a Windows program under Wine, for ctest and test discovery.
#
#   wine-run.sh [--win32] --prefix DIR [--path DIR]... PROGRAM [ARG]...
#
# --win32   the program is a 32-bit one: it runs under Wine's 32-bit loader,
#           in a prefix of 32-bit Windows. On a kernel that runs no 32-bit
#           code, that loader needs qemu-i386 registered in binfmt_misc
#           (scripts/i386-emulation.sh run ...); without it this fails.
# --prefix  the Wine prefix to use; created (wineboot) on first use, under a
#           lock, so parallel tests do not race to create it.
# --path    a folder added to the Windows search path for DLLs (the
#           cross compiler's C++ runtime for the test programs).
# The program's exit code is passed on; carriage returns are removed from its
# output so that line-based readers (gtest discovery) see plain lines.
set -euo pipefail

prefix=""
paths=()
win32=0
while [ $# -gt 0 ]; do
  case "$1" in
    --win32) win32=1; shift ;;
    --prefix) prefix="$2"; shift 2 ;;
    --path) paths+=("$2"); shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
if [ -z "$prefix" ] || [ $# -eq 0 ]; then
  echo "wine-run: usage: wine-run.sh [--win32] --prefix DIR [--path DIR]... PROGRAM [ARG]..." >&2
  exit 2
fi

wine=""
if [ "$win32" = 1 ]; then
  if [ -x /usr/lib/wine/wine ]; then wine=/usr/lib/wine/wine; fi
  if [ -z "$wine" ]; then
    echo "wine-run: ERROR: no 32-bit Wine loader (/usr/lib/wine/wine); install it with scripts/install-deps.sh wine32" >&2
    exit 127
  fi
  # The loader is a 32-bit program: either the kernel runs it, or binfmt_misc
  # hands it to qemu-i386. Say so plainly instead of an "exec format error".
  i386_handled=0
  for e in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$e" ] && grep -qx enabled "$e" 2>/dev/null &&
      grep -qx 'magic 7f454c4601010100000000000000000002000300' "$e" 2>/dev/null && i386_handled=1
  done
  if [ "$i386_handled" = 0 ] && ! "$(dirname "$0")/i386-emulation.sh" native; then
    echo "wine-run: ERROR: this kernel runs no 32-bit programs and no emulator is registered for them;" \
         "run the tests through scripts/i386-emulation.sh run QEMU_I386 ... (scripts/test-all.sh mingw32 does)" >&2
    exit 126
  fi
  export WINEARCH=win32
else
  for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine="$candidate"; break; fi
  done
  if [ -z "$wine" ]; then
    echo "wine-run: ERROR: no wine64 found; install it with scripts/install-deps.sh windows" >&2
    exit 127
  fi
fi

export WINEPREFIX="$prefix"
export WINEDEBUG=${VEXOLIN_WINEDEBUG:--all}
# No Mono or Gecko installer prompts (the tests need neither), and no menu
# entries or file associations written for the programs run.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
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

# The program's output goes through files, not a pipe: Wine's helper
# programs (started by the first program of a session) inherit its output
# handles and live until the server exits, so whoever reads a pipe would wait
# for them long after the program has ended.
out="$(mktemp)"
err="$(mktemp)"
trap 'rm -f "$out" "$err"' EXIT
set +e
"$wine" "$@" >"$out" 2>"$err"
status=$?
tr -d '\r' <"$out"
tr -d '\r' <"$err" >&2
exit "$status"
