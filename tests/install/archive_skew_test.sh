#!/usr/bin/env bash
# scripts/install-deps.sh against an archive whose security suite has lost
# its i386 index while its amd64 one is fine: the state in which amd64
# libraries stand at security versions that no i386 list offers, so that
# wine32:i386 "has held broken packages". Everything is simulated in a
# private apt and dpkg setup (APT_CONFIG, DPKG_ADMINDIR): the machine's own
# lists and packages are not touched, apt only plans.
#
#   tests/install/archive_skew_test.sh      (as root; fetches package lists)
#
# Passes when the plain install fails as on such an archive, and the
# installer then installs the wine32 and windows groups with both
# architectures aligned at the main suite's versions, removing nothing; and
# when, with an index that cannot be fetched at all added, it tries
# `apt-get update` three times, warns, and installs all the same.
# Exits 77 when nothing installed here stands at a security version that
# the i386 packages need (the skew cannot arise on this machine).
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "archive-skew-test: FAIL: $*" >&2; exit 1; }

mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/sources" "$work/dpkg"
cat >"$work/sources/skew.sources" <<'SOURCES'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Architectures: amd64
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
# The machine's packages without any of the i386 architecture, i386 enabled.
cp -a /var/lib/dpkg/. "$work/dpkg/"
awk 'BEGIN { RS = ""; ORS = "\n\n" } !/\nArchitecture: i386\n/' /var/lib/dpkg/status >"$work/dpkg/status"
grep -qx i386 "$work/dpkg/arch" 2>/dev/null || echo i386 >>"$work/dpkg/arch"
cat >"$work/apt.conf" <<CONF
Dir::Etc::SourceList "/dev/null";
Dir::Etc::SourceParts "$work/sources";
Dir::State::Lists "$work/lists";
Dir::State::status "$work/dpkg/status";
Dir::Cache "$work/cache";
DPkg::Options { "--admindir=$work/dpkg"; };
APT::Get::Simulate "true";
APT::Sandbox::User "root";
CONF
export APT_CONFIG="$work/apt.conf" DPKG_ADMINDIR="$work/dpkg"
apt-get update -qq || fail "apt-get update of the private lists failed"

if apt-get install -y --no-install-recommends wine64 wine32:i386 >"$work/plain.txt" 2>&1; then
  echo "archive-skew-test: nothing installed here stands at a security version wine32:i386 needs; the skew cannot arise (skipped)"
  exit 77
fi
grep -q "held broken packages" "$work/plain.txt" || fail "the plain install failed otherwise: $(grep '^E:' "$work/plain.txt")"

INSTALL_DEPS_RETRY_PAUSE=0 "$root/scripts/install-deps.sh" wine32 windows >"$work/out.txt" 2>&1
status=$?
cat "$work/out.txt"
[ "$status" -eq 0 ] || fail "install-deps exited $status"
grep -q "taking both architectures from the main suite" "$work/out.txt" || fail "install-deps did not take the aligning route"
grep -q "downgrading " "$work/out.txt" || fail "install-deps named no downgrade"

# An index that cannot be fetched at all: apt-get update fails every time,
# and the installer goes on with the lists it has.
cat >"$work/sources/unreachable.sources" <<'SOURCES'
Types: deb
URIs: http://127.0.0.1:9/debian
Suites: bookworm
Components: main
Trusted: yes
SOURCES
INSTALL_DEPS_RETRY_PAUSE=0 "$root/scripts/install-deps.sh" wine32 >"$work/out.txt" 2>&1
status=$?
cat "$work/out.txt"
[ "$status" -eq 0 ] || fail "with an index that cannot be fetched, install-deps exited $status"
[ "$(grep -c 'apt-get update failed (try' "$work/out.txt")" -eq 3 ] || fail "apt-get update was not tried 3 times"
grep -q "WARNING: going on with the package lists there are" "$work/out.txt" || fail "no warning that the lists are old"
echo "archive-skew-test: passed"
