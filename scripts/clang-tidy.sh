#!/usr/bin/env bash
# Runs clang-tidy (checks in .clang-tidy) over the sources of the given
# plug-in rooms, using the clang preset's compile database, and prints each
# finding and their count.
#
#   scripts/clang-tidy.sh [--report] [ROOM...]
#       (default rooms: abi commands host mesh select settings ui plugin)
#
# Exits non-zero when there is any finding, unless --report is given (then it
# only counts, for rooms that are not yet held to zero findings).
# Header-only rooms (abi, commands) are checked through the sources that
# include them.
set -euo pipefail
cd "$(dirname "$0")/.."

report=0
if [ "${1:-}" = "--report" ]; then report=1; shift; fi
rooms=("$@")
[ ${#rooms[@]} -eq 0 ] && rooms=(abi commands host mesh select settings ui plugin)

command -v clang-tidy >/dev/null || { echo "clang-tidy: not installed (scripts/install-deps.sh clang)" >&2; exit 1; }
build=build/clang
# Configured every time (quick when nothing changed), so a changed build
# never leaves a stale compile database behind.
cmake --preset clang >/dev/null

room_regex="$(IFS='|'; echo "${rooms[*]}")"
root="$(pwd)"
mapfile -t files < <(python3 - "$build/compile_commands.json" "$root" "$room_regex" <<'PY'
import json, re, sys
db, root, rooms = sys.argv[1], sys.argv[2], sys.argv[3]
pattern = re.compile(re.escape(root) + r"/(" + rooms + r")/[^/]+\.cpp$")
print("\n".join(sorted({e["file"] for e in json.load(open(db)) if pattern.match(e["file"])})))
PY
)
header_filter=".*/(${room_regex})/[^/]+\.(h|inc)$"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
if [ ${#files[@]} -gt 0 ]; then
  # The exit status is not the verdict: the findings below are.
  clang-tidy -p "$build" --quiet --header-filter="$header_filter" --warnings-as-errors='' "${files[@]}" \
    >"$log" 2>/dev/null || true
fi
# One finding per "file:line:col: warning|error: ... [check]" line, each
# header finding counted once however many sources include it.
findings="$(grep -E '^[^ ].*:[0-9]+:[0-9]+: (warning|error): .*\[[a-z0-9.,-]+\]$' "$log" | sort -u || true)"
count=0
[ -n "$findings" ] && count="$(printf '%s\n' "$findings" | wc -l)"
[ -n "$findings" ] && printf '%s\n' "$findings"
echo "clang-tidy: ${count} findings in ${rooms[*]} (${#files[@]} sources)"
[ "$report" -eq 1 ] || [ "$count" -eq 0 ]
