#!/usr/bin/env bash
# Checks a built Windows plug-in module:
#   - its export table holds exactly the fourteen undecorated plug-in exports;
#   - it imports system DLLs only (no C++ or GCC runtime, no pthread DLL);
#   - with --x87-free, the given objects (the plug-in's own code) do their
#     floating-point arithmetic in SSE registers, never in the x87 unit.
#
#   check-dll.sh OBJDUMP DLL [--x87-free OBJECT_OR_ARCHIVE[;...]...]
#
# OBJDUMP must be the target's objdump (i686- or x86_64-w64-mingw32-objdump).
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: check-dll.sh OBJDUMP DLL [--x87-free OBJECTS...]" >&2
  exit 2
fi
objdump="$1"
dll="$2"
shift 2
if ! command -v "$objdump" >/dev/null 2>&1; then
  echo "check-dll: ERROR: $objdump not found (install binutils-mingw-w64)" >&2
  exit 1
fi
[ -f "$dll" ] || { echo "check-dll: ERROR: no module $dll" >&2; exit 1; }

failures=0
fail() { echo "check-dll: FAIL: $*" >&2; failures=$((failures + 1)); }

headers="$("$objdump" -p "$dll")"

# --- exports ---------------------------------------------------------------
expected="MQCheckVersion
MQCreate
MQEnumFileExt
MQEnumFileType
MQEnumString
MQExportFile
MQGetPlugInID
MQGetPlugInName
MQGetPlugInType
MQImportFile
MQInit
MQModifyObject
MQModifySelect
MQOnEvent"
# Lines of the name pointer table look like "	[   3] MQEnumString".
exports="$(printf '%s\n' "$headers" |
  sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | LC_ALL=C sort)"
if [ -z "$exports" ]; then
  fail "no export name table found in $dll"
elif [ "$exports" != "$expected" ]; then
  fail "export table differs from the fourteen plug-in exports:"
  diff <(printf '%s\n' "$expected") <(printf '%s\n' "$exports") >&2 || true
else
  echo "check-dll: exports: the fourteen plug-in names, nothing else"
fi

# --- imports ---------------------------------------------------------------
imports="$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p')"
if [ -z "$imports" ]; then
  fail "no import table found in $dll"
fi
while IFS= read -r name; do
  [ -z "$name" ] && continue
  lower="$(printf '%s' "$name" | tr '[:upper:]' '[:lower:]')"
  case "$lower" in
    kernel32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-crt-*.dll | ntdll.dll | user32.dll | advapi32.dll)
      echo "check-dll: imports system DLL $name" ;;
    *) fail "imports $name, which is not a system DLL" ;;
  esac
done <<<"$imports"

# --- x87 -------------------------------------------------------------------
if [ "${1:-}" = "--x87-free" ]; then
  shift
  objects=()
  for arg in "$@"; do
    IFS=';' read -r -a parts <<<"$arg"
    objects+=("${parts[@]}")
  done
  [ ${#objects[@]} -gt 0 ] || { fail "--x87-free given no objects"; }
  disassembly="$("$objdump" -d --no-show-raw-insn "${objects[@]}")"
  # Allowed: moves (fld/fst/fstp: values returned in st(0) by the 32-bit
  # calling convention) and integer conversions (fild/fistp: 32-bit SSE2 has
  # no 64-bit integer conversion; both directions are exact or rounded once).
  # Anything that computes or compares on the x87 stack works in extended
  # precision and would round differently from single and double precision.
  x87="$(printf '%s\n' "$disassembly" |
    grep -E $'^[[:space:]]*[0-9a-f]+:[[:space:]]+(f(i?add|i?sub|i?subr|i?mul|i?div|i?divr)p?|fsqrt|fsin|fcos|fsincos|fptan|fpatan|fprem1?|fscale|frndint|f2xm1|fyl2x|fyl2xp1|fi?comp?p?|fu?comi?p?|ficomp?|ftst|fxam)[a-z]*([[:space:]]|$)' || true)"
  sse="$(printf '%s\n' "$disassembly" |
    grep -cE $'^[[:space:]]*[0-9a-f]+:[[:space:]]+(addss|subss|mulss|divss|addsd|subsd|mulsd|divsd|sqrtsd|sqrtss|cvtss2sd|cvtsd2ss|u?comiss|u?comisd)([[:space:]]|$)' || true)"
  if [ -n "$x87" ]; then
    fail "x87 arithmetic in the plug-in's code:"
    printf '%s\n' "$x87" | head -20 >&2
  elif [ "${sse:-0}" -eq 0 ]; then
    fail "no SSE floating-point instructions found: the objects were not disassembled as expected"
  else
    echo "check-dll: floating point: $sse SSE instructions, no x87 arithmetic"
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "check-dll: $dll: $failures check(s) failed" >&2
  exit 1
fi
echo "check-dll: $dll: all checks passed"
