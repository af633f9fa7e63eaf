#!/usr/bin/env bash
# Fetches a statically linked qemu-i386 of version 8 or newer into DEST, from
# the qemu-user package of this Debian release's backports suite (with
# apt-get and a private source list: the system's apt setup is not touched;
# the package is unpacked with dpkg-deb, not installed).
#
# The 32-bit Windows tests run Wine's 32-bit loader under it on kernels that
# run no 32-bit code. Debian 12's own qemu-user (7.2) runs them too, but spends
# a minute or more per program in its page bookkeeping under Wine's large
# address-space reservations; version 8 and newer take seconds.
#
#   fetch-qemu-i386.sh DEST      (DEST/qemu-i386 afterwards)
set -euo pipefail

dest="${1:?usage: fetch-qemu-i386.sh DEST}"
min_major=8

die() { echo "fetch-qemu-i386: ERROR: $*" >&2; exit 1; }

# Prints the major version of the qemu-i386 at $1, or nothing.
qemu_major() {
  "$1" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9][0-9]*\)\..*/\1/p' | head -1
}

usable() {
  local major
  [ -x "$1" ] || return 1
  major="$(qemu_major "$1")"
  [ -n "$major" ] && [ "$major" -ge "$min_major" ]
}

if usable "$dest/qemu-i386"; then exit 0; fi

command -v apt-get >/dev/null || die "apt-get is needed"
command -v dpkg-deb >/dev/null || die "dpkg-deb is needed"
codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/parts" "$work/lists/partial" "$work/cache/archives/partial" "$work/download"
cat >"$work/parts/debian-backports.sources" <<SOURCES
Types: deb
URIs: http://deb.debian.org/debian
Suites: $codename-backports
Components: main
Architectures: $(dpkg --print-architecture)
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
apt_options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$work/parts"
             -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache"
             -o "APT::Architectures=$(dpkg --print-architecture)"
             -o Debug::NoLocking=true -o APT::Sandbox::User=root -qq)
echo "fetch-qemu-i386: downloading qemu-user from $codename-backports" >&2
apt-get "${apt_options[@]}" update || die "could not read the $codename-backports package lists"
(cd "$work/download" && apt-get "${apt_options[@]}" download "qemu-user/$codename-backports") ||
  die "could not download qemu-user from $codename-backports"
deb="$(ls "$work/download"/qemu-user_*.deb 2>/dev/null | head -1)"
[ -n "$deb" ] || die "no qemu-user package downloaded"
dpkg-deb -x "$deb" "$work/root"
binary="$work/root/usr/bin/qemu-i386"
[ -f "$binary" ] || die "$(basename "$deb") has no usr/bin/qemu-i386"
# It runs with no root folder of its own (-L) and starts from binfmt_misc in
# any process: it must need no shared libraries.
if command -v readelf >/dev/null && readelf -l "$binary" | grep -q 'INTERP'; then
  die "the qemu-i386 of $(basename "$deb") is dynamically linked; a static one is needed"
fi
usable "$binary" || die "the qemu-i386 of $(basename "$deb") is version $(qemu_major "$binary"), not $min_major or newer"
mkdir -p "$dest"
install -m 0755 "$binary" "$dest/qemu-i386.new"
mv "$dest/qemu-i386.new" "$dest/qemu-i386"
echo "fetch-qemu-i386: $("$dest/qemu-i386" --version | head -1) in $dest" >&2
