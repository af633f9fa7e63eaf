#!/usr/bin/env bash
# Fetches the pugixml sources of this Debian release (its source package, with
# apt-get and a private source list: the system's apt setup is not touched)
# and unpacks them into DEST. The cross builds and the 32-bit build compile
# the stand-in host's XML library from them, since Debian's libpugixml is
# built for 64-bit Linux only.
#
#   fetch-pugixml-source.sh DEST      (DEST/src/pugixml.cpp afterwards)
set -euo pipefail

dest="${1:?usage: fetch-pugixml-source.sh DEST}"
if [ -f "$dest/src/pugixml.cpp" ]; then exit 0; fi

command -v apt-get >/dev/null || { echo "fetch-pugixml-source: ERROR: apt-get is needed" >&2; exit 1; }
codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/parts" "$work/lists/partial" "$work/cache/archives/partial" "$work/download"
cat >"$work/parts/debian-src.sources" <<SOURCES
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
apt_options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$work/parts"
             -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache"
             -o Debug::NoLocking=true -o APT::Sandbox::User=root -qq)
echo "fetch-pugixml-source: downloading Debian's pugixml source package ($codename)" >&2
apt-get "${apt_options[@]}" update
(cd "$work/download" && apt-get "${apt_options[@]}" source --download-only pugixml 2>/dev/null)
tarball="$(ls "$work/download"/pugixml_*.orig.tar.* 2>/dev/null | head -1)"
[ -n "$tarball" ] || { echo "fetch-pugixml-source: ERROR: no pugixml source tarball downloaded" >&2; exit 1; }
mkdir -p "$work/unpack"
tar -xf "$tarball" -C "$work/unpack"
top="$(ls -d "$work/unpack"/*/ | head -1)"
[ -f "$top/src/pugixml.cpp" ] || { echo "fetch-pugixml-source: ERROR: $tarball has no src/pugixml.cpp" >&2; exit 1; }
mkdir -p "$(dirname "$dest")"
rm -rf "$dest"
mv "$top" "$dest"
echo "fetch-pugixml-source: pugixml sources in $dest" >&2
