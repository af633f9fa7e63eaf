#!/usr/bin/env bash
# Checks a built Windows plug-in module:
#   - its export table holds exactly the undecorated plug-in exports listed
#     in plugin/exports.txt;
#   - it imports system DLLs only (no C++ or GCC runtime, no pthread DLL);
#   - its PE headers: the machine the objdump targets (i386 or x86-64), the
#     DLL flag, ASLR (dynamic base; high-entropy on 64-bit) and DEP (NX
#     compatible), the Windows GUI subsystem, and no TLS callbacks but the
#     mingw-w64 runtime's own (named through the DLL's symbol table);
#   - with --version X.Y[.Z[.W]], a version resource that reads back as that
#     version (fixed file version, FileVersion, ProductVersion, ProductName
#     "Vexolin", OriginalFilename);
#   - with --reproducible, a zero link time stamp (a release build);
#   - with --x87-free, the given objects (the plug-in's own code) do their
#     floating-point arithmetic in SSE registers, never in the x87 unit.
#
#   check-dll.sh OBJDUMP DLL [--version X.Y] [--reproducible] [--x87-free OBJECT_OR_ARCHIVE[;...]...]
#
# OBJDUMP must be the target's objdump (i686- or x86_64-w64-mingw32-objdump).
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: check-dll.sh OBJDUMP DLL [--version X.Y] [--reproducible] [--x87-free OBJECTS...]" >&2
  exit 2
fi
objdump="$1"
dll="$2"
shift 2
version=""
reproducible=0
while [ $# -gt 0 ]; do
  case "$1" in
    --version)
      [ $# -ge 2 ] || { echo "check-dll: ERROR: --version needs a version" >&2; exit 2; }
      version="$2"
      shift 2 ;;
    --reproducible) reproducible=1; shift ;;
    *) break ;;
  esac
done
# The other binutils of the same target: i686-w64-mingw32-nm beside -objdump.
tool_prefix="${objdump%objdump}"
if ! command -v "$objdump" >/dev/null 2>&1; then
  echo "check-dll: ERROR: $objdump not found (install binutils-mingw-w64)" >&2
  exit 1
fi
[ -f "$dll" ] || { echo "check-dll: ERROR: no module $dll" >&2; exit 1; }

failures=0
fail() { echo "check-dll: FAIL: $*" >&2; failures=$((failures + 1)); }

headers="$("$objdump" -p "$dll")"

# --- exports ---------------------------------------------------------------
# The names the module must export, from the build's one list of them.
exports_list="$(dirname "$0")/../plugin/exports.txt"
[ -f "$exports_list" ] || { echo "check-dll: ERROR: no export list $exports_list" >&2; exit 1; }
expected="$(sed -e 's/[[:space:]]*$//' -e '/^#/d' -e '/^$/d' "$exports_list" | LC_ALL=C sort)"
count=$(printf '%s\n' "$expected" | wc -l)
# Lines of the name pointer table look like "	[   3] MQEnumString".
exports="$(printf '%s\n' "$headers" |
  sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | LC_ALL=C sort)"
if [ -z "$exports" ]; then
  fail "no export name table found in $dll"
elif [ "$exports" != "$expected" ]; then
  fail "export table differs from the $count plug-in exports of plugin/exports.txt:"
  diff <(printf '%s\n' "$expected") <(printf '%s\n' "$exports") >&2 || true
else
  echo "check-dll: exports: the $count plug-in names, nothing else"
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

# --- PE headers ------------------------------------------------------------
# (Here-strings, not pipes: a reader that stops early must not break a pipe.)
header_value() { awk -v k="$1" '$1 == k { sub(/^[^[:space:]]+[[:space:]]+/, ""); print; exit }' <<<"$headers"; }
format="$(awk '/file format/ { sub(/.*file format[[:space:]]*/, ""); print; exit }' <<<"$headers")"
magic="$(header_value Magic)"
case "$format" in
  pei-i386) want_magic="010b"; bits=32 ;;
  pei-x86-64) want_magic="020b"; bits=64 ;;
  *) fail "file format '$format': not a 32-bit i386 or 64-bit x86-64 PE image"; bits=0 ;;
esac
if [ "$bits" -ne 0 ]; then
  if [ "${magic%%[[:space:]]*}" != "$want_magic" ]; then
    fail "optional header magic '$magic' does not match $format"
  else
    echo "check-dll: machine: $format ($bits-bit)"
  fi
fi
characteristics="$(header_value Characteristics)"
if (( (${characteristics%%[[:space:]]*} & 0x2000) == 0 )); then
  fail "Characteristics $characteristics: not marked as a DLL"
fi
dll_characteristics="$(header_value DllCharacteristics)"
dll_flags=$((0x${dll_characteristics%%[[:space:]]*}))
want_flags=$((0x0040 | 0x0100)) # DYNAMIC_BASE (ASLR), NX_COMPAT (DEP)
[ "$bits" -eq 64 ] && want_flags=$((want_flags | 0x0020)) # HIGH_ENTROPY_VA
if (( (dll_flags & want_flags) != want_flags )); then
  fail "DLL characteristics $dll_characteristics lack ASLR/DEP flags (want $(printf '0x%04x' $want_flags) set)"
else
  echo "check-dll: DLL characteristics $dll_characteristics: ASLR and DEP enabled"
fi
subsystem="$(header_value Subsystem)"
if [ "${subsystem%%[[:space:]]*}" != "00000002" ]; then
  fail "subsystem $subsystem: want 00000002 (Windows GUI), as every DLL a Windows application loads"
fi

# TLS callbacks run on every thread the host starts; only the runtime's own
# (thread-local constructors and destructors, the pthread emulation's
# clean-up) may be there.
image_base=$((0x$(header_value ImageBase)))
tls_rva="$(printf '%s\n' "$headers" | sed -n 's/^Entry 9 \([0-9a-f]*\) \([0-9a-f]*\) Thread Storage Directory.*/\1/p')"
# Little-endian words of WIDTH bytes at virtual address VA, COUNT of them.
read_words() {
  local va=$1 count=$2 width=$3 bytes=() i j word
  read -r -a bytes <<<"$("$objdump" -s --start-address=$va --stop-address=$((va + count * width)) "$dll" |
    sed -n 's/^ [0-9a-f]\{8,16\} \(\([0-9a-f]\{2,8\} \)\{1,4\}\).*/\1/p' | tr -d ' \n' | sed 's/../& /g')"
  [ ${#bytes[@]} -eq $((count * width)) ] || return 1
  for ((i = 0; i < count; i++)); do
    word=""
    for ((j = width - 1; j >= 0; j--)); do word+="${bytes[i * width + j]}"; done
    echo $((0x$word))
  done
}
if [ -n "$tls_rva" ] && [ "$tls_rva" != "00000000" ]; then
  width=$((bits / 8))
  if ! tls_dir=($(read_words $((image_base + 0x$tls_rva)) 4 $width)); then
    fail "cannot read the TLS directory"
  else
    callbacks=()
    if [ "${tls_dir[3]}" -ne 0 ]; then
      va=${tls_dir[3]}
      while word=$(read_words $va 1 $width) && [ "$word" -ne 0 ]; do
        callbacks+=("$word")
        va=$((va + width))
        [ ${#callbacks[@]} -le 64 ] || { fail "TLS callback list does not end"; break; }
      done
    fi
    symbols="$("${tool_prefix}nm" "$dll" 2>/dev/null || true)"
    for callback in "${callbacks[@]}"; do
      hex="$(printf "%0$((width * 2))x" "$callback")"
      name="$(awk -v a="$hex" '$1 == a && $2 ~ /^[Tt]$/ && $3 !~ /^[.]/ { print $3; exit }' <<<"$symbols")"
      if [ -z "$name" ]; then
        fail "TLS callback at 0x$hex has no name in the symbol table (stripped DLL, or not the runtime's)"
      elif [[ "$name" =~ ^_*(dyn_tls_init|dyn_tls_dtor|dyn_tls_pthread|mingw_TLScallback)(@[0-9]+)?$ ]]; then
        echo "check-dll: TLS callback $name (the mingw-w64 runtime's)"
      else
        fail "TLS callback $name is not one of the runtime's"
      fi
    done
  fi
fi

# --- release: time stamp and version resource ------------------------------
if [ "$reproducible" -eq 1 ]; then
  stamp="$(header_value Time/Date)"
  if [[ "$stamp" != *1970 ]]; then
    fail "link time stamp '$stamp' is not zero: the DLL is not reproducible"
  else
    echo "check-dll: link time stamp: none"
  fi
fi
if [ -n "$version" ]; then
  if [[ ! "$version" =~ ^[0-9]+(\.[0-9]+){0,3}$ ]]; then
    fail "--version '$version' is not a version number"
  fi
  IFS=. read -r -a parts <<<"$version.0.0.0"
  rsrc="$(mktemp)"
  trap 'rm -f "$rsrc"' EXIT
  if ! "${tool_prefix}objcopy" -O binary --only-section=.rsrc "$dll" "$rsrc" || [ ! -s "$rsrc" ]; then
    fail "no resource section"
  else
    # VS_FIXEDFILEINFO: signature 0xFEEF04BD, structure version, then the
    # file version as two DWORDs (major << 16 | minor, patch << 16 | tweak).
    hex="$(od -An -v -tx1 "$rsrc" | tr -d ' \n')"
    prefix="${hex%%bd04effe*}"
    if [ "$prefix" = "$hex" ] || (( ${#prefix} % 2 != 0 )); then
      fail "no fixed file information in the version resource"
    else
      fixed="${hex:${#prefix}:40}"
      le32() { echo $((16#${1:6:2}${1:4:2}${1:2:2}${1:0:2})); }
      ms=$(le32 "${fixed:16:8}")
      ls=$(le32 "${fixed:24:8}")
      got="$((ms >> 16)).$((ms & 0xffff)).$((ls >> 16)).$((ls & 0xffff))"
      want="${parts[0]}.${parts[1]}.${parts[2]}.${parts[3]}"
      if [ "$got" != "$want" ]; then
        fail "version resource: file version $got, want $want"
      else
        echo "check-dll: version resource: file version $got"
      fi
    fi
    # The string table: each key's value follows it.
    text="$("${tool_prefix}strings" -el -n 1 "$rsrc")"
    value_of() { awk -v k="$1" 'found { print; exit } $0 == k { found = 1 }' <<<"$text"; }
    for pair in "FileVersion=$version" "ProductVersion=$version" "ProductName=Vexolin" \
                "OriginalFilename=vexolin.dll"; do
      key="${pair%%=*}"
      value="$(value_of "$key")"
      if [ "$value" != "${pair#*=}" ]; then
        fail "version resource: $key is '$value', want '${pair#*=}'"
      else
        echo "check-dll: version resource: $key $value"
      fi
    done
  fi
fi

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
