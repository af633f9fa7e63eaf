#!/usr/bin/env bash
# 32-bit x86 programs on a 64-bit kernel that may run no 32-bit code at all.
#
#   i386-emulation.sh native
#       Exits 0 when the kernel runs 32-bit x86 programs itself, 1 when not.
#   i386-emulation.sh run [--wineprefix DIR] QEMU_I386 COMMAND [ARG]...
#       Runs COMMAND with every 32-bit x86 program it starts, directly or
#       through its children (Wine's loader re-executes itself and starts its
#       helper programs), run by QEMU_I386. Registers QEMU_I386 in binfmt_misc
#       under a name of this project's own for the duration of COMMAND and
#       removes the registration when COMMAND ends, fails or is interrupted
#       (mounting binfmt_misc first if needed, and unmounting it again if
#       nothing else is registered). With --wineprefix, the Wine server of
#       that prefix (and so its 32-bit helpers) is stopped first.
#       On a kernel that runs 32-bit code, COMMAND runs as it is.
#       Passes COMMAND's exit status on.
set -euo pipefail

die() { echo "i386-emulation: ERROR: $*" >&2; exit 1; }

binfmt=/proc/sys/fs/binfmt_misc

# A static 32-bit program that exits 0 when the kernel runs it natively. It
# asks for the machine name: a 32-bit process on a 64-bit kernel sees
# "x86_64", while under qemu-i386 (should a binfmt entry of someone else's
# pass it to one) it sees "i686". Built with the host's binutils, which
# write 32-bit ELF files without any multilib package.
native() {
  local work status
  command -v as >/dev/null && command -v ld >/dev/null || die "as and ld (binutils) are needed"
  work="$(mktemp -d)"
  cat >"$work/probe.s" <<'ASM'
        .globl _start
        .text
_start: movl $122, %eax            # newuname(&name)
        movl $name, %ebx
        int $0x80
        testl %eax, %eax
        jnz 1f
        cmpl $0x5f363878, name+260  # machine starts with "x86_"
        jne 1f
        cmpw $0x3436, name+264      # ... followed by "64"
        jne 1f
        movl $1, %eax               # exit(0)
        xorl %ebx, %ebx
        int $0x80
1:      movl $1, %eax               # exit(1)
        movl $1, %ebx
        int $0x80
        .bss
name:   .space 390
ASM
  as --32 -o "$work/probe.o" "$work/probe.s" && ld -m elf_i386 -static -o "$work/probe" "$work/probe.o" ||
    { rm -rf "$work"; die "could not build the 32-bit probe program"; }
  set +e
  "$work/probe" 2>/dev/null
  status=$?
  set -e
  rm -rf "$work"
  return $(( status == 0 ? 0 : 1 ))
}

# The standard magic and mask of 32-bit x86 ELF executables and shared
# objects, as binfmt_misc reads them.
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

entry=""
mounted_here=0
prefix_to_stop=""

child=""

# Passes signal $1 on to COMMAND, waits for it, and exits with status $2.
stop_child() {
  if [ -n "$child" ]; then
    kill -"$1" "$child" 2>/dev/null || true
    # An asynchronous command ignores SIGINT; a plain TERM then stops it.
    [ "$1" = INT ] && kill -TERM "$child" 2>/dev/null || true
    wait "$child" 2>/dev/null || true
  fi
  exit "$2"
}

cleanup() {
  local status=$?
  trap - EXIT INT TERM HUP
  if [ -n "$prefix_to_stop" ] && [ -d "$prefix_to_stop" ]; then
    local server=/usr/lib/wine/wineserver64
    [ -x "$server" ] || server="$(command -v wineserver || true)"
    if [ -n "$server" ]; then
      WINEPREFIX="$prefix_to_stop" "$server" -k >/dev/null 2>&1 || true
      WINEPREFIX="$prefix_to_stop" "$server" -w >/dev/null 2>&1 || true
    fi
  fi
  if [ -n "$entry" ]; then
    # Another run may have unmounted binfmt_misc meanwhile; the entry lives on.
    if [ ! -e "$binfmt/register" ]; then
      mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null && mounted_here=1
    fi
    if [ -e "$binfmt/$entry" ]; then
      echo -1 >"$binfmt/$entry" || echo "i386-emulation: ERROR: could not remove $binfmt/$entry" >&2
    fi
    if [ "$mounted_here" = 1 ] &&
       [ -z "$(ls "$binfmt" | grep -vx -e register -e status)" ]; then
      umount "$binfmt" 2>/dev/null || true
    fi
  fi
  exit "$status"
}

run() {
  if [ "${1:-}" = --wineprefix ]; then
    prefix_to_stop="${2:?--wineprefix needs a folder}"
    shift 2
  fi
  local qemu="${1:?usage: i386-emulation.sh run [--wineprefix DIR] QEMU_I386 COMMAND [ARG]...}"
  shift
  [ $# -gt 0 ] || die "no command to run"
  trap cleanup EXIT
  trap 'stop_child INT 130' INT
  trap 'stop_child TERM 143' TERM
  trap 'stop_child HUP 129' HUP

  if native; then
    echo "i386-emulation: this kernel runs 32-bit x86 programs itself; no emulator" >&2
  else
    case "$qemu" in /*) ;; *) qemu="$(pwd)/$qemu" ;; esac
    [ -x "$qemu" ] || die "no qemu-i386 at $qemu (scripts/install-deps.sh wine32 fetches it)"
    case "$qemu" in *:*) die "the path of qemu-i386 must hold no ':' ($qemu)" ;; esac
    if [ ! -e "$binfmt/register" ]; then
      mount -t binfmt_misc binfmt_misc "$binfmt" ||
        die "binfmt_misc is not mounted and could not be mounted on $binfmt (needs root)"
      mounted_here=1
    fi
    entry="vexolin-i386-$$"
    # F: the kernel opens the emulator now, so it serves every process
    # (whatever its root or mount namespace) until the entry is removed.
    printf ':%s:M::%s:%s:%s:F' "$entry" "$i386_magic" "$i386_mask" "$qemu" >"$binfmt/register" ||
      { entry=""; die "could not register $qemu in $binfmt"; }
    echo "i386-emulation: 32-bit x86 programs run under $("$qemu" --version | head -1) ($binfmt/$entry)" >&2
  fi

  # In the background, so that a signal reaches the traps at once (they pass
  # it on) rather than after COMMAND has finished.
  set +e
  "$@" &
  child=$!
  wait "$child"
  local status=$?
  set -e
  child=""
  return "$status"
}

case "${1:-}" in
  native) native ;;
  run) shift; run "$@" ;;
  *) echo "usage: i386-emulation.sh native | run [--wineprefix DIR] QEMU_I386 COMMAND [ARG]..." >&2; exit 2 ;;
esac
