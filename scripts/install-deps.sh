#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, when missing.
# Run as root (or with sudo available). Usage: scripts/install-deps.sh [group...]
#   groups: build (default), windows, wine32, release, fuzz, clang
# wine32 (32-bit Windows programs, the shipped module's tests): the i386
# architecture and Wine's 32-bit loader; on a kernel that runs no 32-bit code,
# also a qemu-i386 of version 8 or newer (scripts/fetch-qemu-i386.sh, into
# build/_deps/qemu-i386: Debian 12's own qemu-user is far too slow for Wine).
#
# A package archive is sometimes briefly inconsistent, and this script goes on
# through it:
# - a failed `apt-get update` (or one that could not fetch an index) is tried again (INSTALL_DEPS_UPDATE_TRIES times
#   in all, default 3, INSTALL_DEPS_RETRY_PAUSE seconds apart, default 20),
#   then is a warning: installation goes on with the package lists there are;
# - each group is installed on its own, so one group's failure leaves the
#   others installed; a failure is reported in one block (the group, its
#   missing packages, apt's own reason);
# - i386 packages that cannot be installed because an amd64 twin of theirs
#   (a Multi-Arch: same library, e.g. from the security suite) stands at a
#   version the i386 lists lack are installed with both architectures at a
#   version both have, downgrading the amd64 ones (and the packages built from
#   the same source beside them) with explicit name=version pins. The plan is
#   simulated first and refused if it would remove any package; afterwards
#   every package that was installed before must still be there.
# Exits 0 when every group is installed, 1 when some group could not be (the
# others are installed all the same).
# APT_CONFIG is honoured as apt honours it (tests/install/archive_skew_test.sh
# points it at a private, simulated setup).
set -uo pipefail

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(build)

group_packages() {
  case "$1" in
    build) echo build-essential cmake ninja-build pkg-config binutils \
                libgtest-dev libgmock-dev libbenchmark-dev \
                libpugixml-dev libtinyobjloader-dev locales libcli11-dev nlohmann-json3-dev libcairo2-dev ;;
    windows) echo g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 wine64 ;;
    wine32) echo wine64 wine32:i386 binutils ;;
    # scripts/release.sh: the Windows cross compilers and binutils, zip.
    release) echo cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64 \
                  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 zip ;;
    fuzz) echo clang libfuzzer-14-dev ;;
    clang) echo clang clang-tidy clang-format ;;
    *) return 1 ;;
  esac
}
for g in "${groups[@]}"; do
  group_packages "$g" >/dev/null || { echo "install-deps: unknown group '$g' (build, windows, wine32, release, fuzz, clang)" >&2; exit 2; }
done

say() { echo "install-deps: $*" >&2; }
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
update_tries="${INSTALL_DEPS_UPDATE_TRIES:-3}"
retry_pause="${INSTALL_DEPS_RETRY_PAUSE:-20}"

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# apt-get update, tried again on failure; never fatal.
updated=0
update_lists() {
  [ "$updated" -eq 1 ] && return 0
  updated=1
  local try out
  for ((try = 1; try <= update_tries; try++)); do
    # apt exits 0 when an index merely could not be fetched ("W: Failed to
    # fetch"), 100 when one failed its check: both are tried again.
    if out="$($SUDO apt-get update -qq 2>&1)" && ! grep -qE '^(E|W): (Failed to fetch|Some index files failed)' <<<"$out"; then
      return 0
    fi
    say "apt-get update failed (try $try of $update_tries):"
    printf '%s\n' "$out" | grep -E '^(E|W):' | head -5 | sed 's/^/    /' >&2
    [ "$try" -lt "$update_tries" ] && sleep "$retry_pause"
  done
  say "WARNING: going on with the package lists there are"
}

# Every package installed now, one "name:arch" a line (for the check that an
# installation removed nothing).
installed_now() { dpkg-query -W -f='${db:Status-Status} ${binary:Package}\n' 2>/dev/null | sed -n 's/^installed //p' | sort; }

# "name version" for every version apt knows of the packages named in "$@"
# (name[:arch], as madison prints them), newest first.
versions_of() {
  [ $# -gt 0 ] || return 0
  apt-cache madison "$@" 2>/dev/null | awk -F'|' '{ gsub(/ /, "", $1); gsub(/ /, "", $2); print $1, $2 }' | awk '!seen[$0]++'
}

# A Multi-Arch: same library stands at one version in both architectures.
# When the i386 index of a suite is missing (the security suite's, say), apt
# finds the i386 twin of an amd64 library only at other versions, and calls
# the i386 package "not going to be installed": it never picks a version
# other than the candidate, nor downgrades, by itself. The aligning route
# takes both architectures from the main suite (-t CODENAME), which aligns
# every library that is not installed yet or installed at an older version;
# an installed amd64 library newer than every i386 version there is must be
# downgraded, with the packages built from the same source at the same
# version beside it (they depend on each other's exact version).
#
# Prints those name=version pins, one a line, for the i386 packages in "$@"
# and their dependencies; prints nothing when nothing stands that way.
multiarch_pins() {
  local closure name base have src qver common
  local -A installed_version=() installed_source=() versions=() moved=()
  closure="$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
      --no-breaks --no-replaces --no-enhances "$@" 2>/dev/null | grep -v '^ ' | grep ':i386$' | sort -u)"
  while read -r name have src; do
    installed_version[$name]="$have"; installed_source[$name]="$src"
  done < <(dpkg-query -W -f='${db:Status-Status} ${Multi-Arch} ${Architecture} ${Package} ${Version} ${source:Package}\n' 2>/dev/null |
           awk '$1 == "installed" && $2 == "same" && $3 == "amd64" { print $4, $5, $6 }')
  local twins=() queries=()
  for name in $closure; do
    base="${name%:i386}"
    [ -n "${installed_version[$base]:-}" ] || continue
    twins+=("$base"); queries+=("$name" "$base:amd64")
  done
  [ ${#twins[@]} -gt 0 ] || return 0
  while read -r name qver; do
    case "$name" in *:i386 | *:amd64) ;; *) name="$name:amd64" ;; esac
    versions[$name]+="$qver "
  done < <(versions_of "${queries[@]}")
  for base in "${twins[@]}"; do
    have="${installed_version[$base]}"
    case " ${versions[$base:i386]:-}" in *" $have "*) continue ;; esac
    [ -n "${versions[$base:i386]:-}" ] || continue
    dpkg --compare-versions "$have" gt "${versions[$base:i386]%% *}" || continue
    common=""
    for qver in ${versions[$base:i386]}; do
      case " ${versions[$base:amd64]:-}" in *" $qver "*) common="$qver"; break ;; esac
    done
    [ -n "$common" ] || { say "no version of $base is in both the amd64 and the i386 lists"; return 1; }
    echo "$base:i386=$common"
    moved["${installed_source[$base]}|$have"]="$common"
  done
  [ ${#moved[@]} -gt 0 ] || return 0
  dpkg-query -W -f='${db:Status-Status} ${source:Package} ${Version} ${binary:Package}\n' 2>/dev/null |
    while read -r status src qver name; do
      [ "$status" = installed ] && [ -n "${moved["$src|$qver"]:-}" ] && echo "$name=${moved["$src|$qver"]}"
    done
}

# Installs "$@" with the multiarch versions aligned; 0 on success. The plan is
# simulated first: one that removes any installed package is refused.
install_aligned() {
  local pins before plan removed out
  mapfile -t pins < <(multiarch_pins "$@" | sort -u)
  say "taking both architectures from the main suite, to align the versions of the i386 packages' amd64 twins"
  local pin name now
  for pin in "${pins[@]}"; do
    name="${pin%%=*}"
    now="$(dpkg-query -W -f='${db:Status-Status} ${Version}' "$name" 2>/dev/null)"
    case "$now" in
      "installed "*) now="${now#installed }"
                     if dpkg --compare-versions "${pin#*=}" lt "$now"; then
                       say "    downgrading $name from $now to ${pin#*=}"
                     else
                       say "    upgrading $name from $now to ${pin#*=}"
                     fi ;;
      *) say "    installing $name at ${pin#*=}" ;;
    esac
  done
  local codename
  codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
  [ -n "$codename" ] || { echo "E: no VERSION_CODENAME in /etc/os-release" > "$reason_file"; return 1; }
  local route=(-t "$codename" --no-install-recommends --allow-downgrades)
  plan="$($SUDO apt-get -s install -y "${route[@]}" "$@" "${pins[@]}" 2>&1)" ||
    { printf '%s\n' "$plan" > "$reason_file"; return 1; }
  removed="$(printf '%s\n' "$plan" | sed -n 's/^Remv \([^ ]*\).*/\1/p' | tr '\n' ' ')"
  if [ -n "$removed" ]; then
    echo "E: aligning the versions would remove $removed; refused" > "$reason_file"
    return 1
  fi
  before="$(installed_now)"
  out="$($SUDO apt-get install -y -qq "${route[@]}" "$@" "${pins[@]}" 2>&1)" ||
    { printf '%s\n' "$out" > "$reason_file"; return 1; }
  removed="$(comm -23 <(printf '%s\n' "$before") <(installed_now) | tr '\n' ' ')"
  if [ -n "$removed" ]; then
    echo "E: installing removed $removed" > "$reason_file"
    return 1
  fi
  return 0
}

# One short block: the group, its missing packages, apt's own reason.
report_failure() {
  local group="$1" packages="$2"
  {
    echo "install-deps: FAILED to install group '$group'"
    echo "    packages: $packages"
    echo "    apt says:"
    grep -E '^(E:| [^ ].* : (Pre)?Depends:|  +(Pre)?Depends:)' "$reason_file" | head -12 | sed 's/^/      /'
  } >&2
}

# Packages of the i386 architecture (wine32:i386) need it enabled first.
for g in "${groups[@]}"; do
  if [ "$g" = wine32 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    say "enabling the i386 architecture"
    $SUDO dpkg --add-architecture i386
    updated=0
  fi
done

reason_file="$(mktemp)"
trap 'rm -f "$reason_file"' EXIT
failed=()
declare -A had=()   # the groups' packages that were installed, as each group was done
note_installed() { local p; for p in $(group_packages "$1"); do installed "$p" && had[$p]=1; done; }
for g in "${groups[@]}"; do note_installed "$g"; done
# Installs the missing packages of group $1; 0 when it is complete.
install_group() {
  local g="$1" p missing=() first_reason
  for p in $(group_packages "$g"); do installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  update_lists
  say "installing group $g: ${missing[*]}"
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >"$reason_file" 2>&1 && return 0
  # Packages that could not be fetched (the archive moved on under old
  # lists): fetch the lists again and try once more.
  if grep -qE '^E: (Failed|Unable) to fetch' "$reason_file"; then
    updated=0
    update_lists
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >"$reason_file" 2>&1 && return 0
  fi
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$'; then
    first_reason="$(cat "$reason_file")"
    : >"$reason_file"
    install_aligned "${missing[@]}" && return 0
    [ -s "$reason_file" ] || printf '%s\n' "$first_reason" >"$reason_file"
  fi
  report_failure "$g" "${missing[*]}"
  return 1
}
for g in "${groups[@]}"; do
  if install_group "$g"; then note_installed "$g"; else failed+=("$g"); fi
done

for g in "${groups[@]}"; do
  if [ "$g" = wine32 ] && ! "$(dirname "$0")/i386-emulation.sh" native; then
    "$(dirname "$0")/fetch-qemu-i386.sh" "$(cd "$(dirname "$0")/.." && pwd)/build/_deps/qemu-i386" || failed+=(wine32)
  fi
done

# No installation may have taken away what an earlier one put in place.
for g in "${groups[@]}"; do
  lost=()
  for p in $(group_packages "$g"); do
    [ -n "${had[$p]:-}" ] && ! installed "$p" && lost+=("$p")
  done
  if [ ${#lost[@]} -gt 0 ]; then
    say "FAILED: group '$g' is no longer complete: ${lost[*]} removed by a later installation"
    failed+=("$g")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  say "groups not installed: ${failed[*]}"
  exit 1
fi
exit 0
