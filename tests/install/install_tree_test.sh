#!/usr/bin/env bash
# The stand-in tool's install tree works on its own: installed under a
# prefix and then moved, vexolin-run finds its host library (RPATH
# $ORIGIN/../lib) and the plug-in module (lib/vexolin/vexolin.so, relative to
# the program) and selects on a sample mesh exactly what the build folder's
# vexolin-run selects. Without the installed module it fails cleanly, naming
# where it looked.
#
#   install_tree_test.sh CMAKE BUILD_DIR SAMPLE.obj
set -euo pipefail
cmake="${1:?usage: install_tree_test.sh CMAKE BUILD_DIR SAMPLE.obj}"
build="${2:?}"
sample="${3:?}"

failures=0
fail() { echo "install-test: FAIL: $*" >&2; failures=$((failures + 1)); }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$cmake" --install "$build" --prefix "$work/installed" >/dev/null
# Moved after installing: nothing may depend on the prefix it was installed to.
mkdir -p "$work/moved"
mv "$work/installed" "$work/moved/tree"
tree="$work/moved/tree"

for f in bin/vexolin-run lib/libstandin_host.so lib/vexolin/vexolin.so share/doc/vexolin/LICENSE share/doc/vexolin/CHANGELOG.md; do
  [ -f "$tree/$f" ] || fail "install tree lacks $f"
done
[ -x "$tree/bin/vexolin-run" ] || fail "bin/vexolin-run is not executable"
runpath="$(readelf -d "$tree/bin/vexolin-run" | sed -n 's/.*(R\(UN\)\{0,1\}PATH).*\[\(.*\)\]/\2/p')"
[ "$runpath" = '$ORIGIN/../lib' ] || fail "vexolin-run's RUNPATH is '$runpath', want \$ORIGIN/../lib"

# The same command through the installed tool and the build folder's tool.
run() {
  local tool="$1" name="$2"
  mkdir -p "$work/$name"
  (cd "$work/$name" && env -u VEXOLIN_PLUGIN HOME="$work/$name" XDG_CONFIG_HOME= \
    "$tool" "$sample" --press "Ridge(&R)" --settings "$work/$name/settings.xml" --json "$work/$name/out.json" \
    >"$work/$name/stdout" 2>"$work/$name/stderr")
}
if ! run "$tree/bin/vexolin-run" installed; then
  fail "installed vexolin-run failed: $(cat "$work/installed/stderr")"
elif ! run "$build/standin/cli/vexolin-run" build; then
  fail "build folder's vexolin-run failed: $(cat "$work/build/stderr")"
elif ! cmp -s "$work/installed/out.json" "$work/build/out.json"; then
  fail "the installed tool selects differently from the build folder's"
  diff "$work/installed/out.json" "$work/build/out.json" | head -20 >&2 || true
elif ! grep -q '"lines"' "$work/installed/out.json" || [ "$(wc -c <"$work/installed/out.json")" -lt 20 ]; then
  fail "no selection in the installed tool's JSON"
else
  echo "install-test: installed vexolin-run selects as the build folder's does"
fi

# Without its module the installed tool says where it looked, exit status 2.
rm "$tree/lib/vexolin/vexolin.so"
status=0
run "$tree/bin/vexolin-run" missing || status=$?
if [ "$status" -ne 2 ] || ! grep -q "$tree/lib/vexolin/vexolin.so: no such plug-in module" "$work/missing/stderr"; then
  fail "without lib/vexolin/vexolin.so: status $status, message '$(cat "$work/missing/stderr")'"
fi

[ "$failures" -eq 0 ] || { echo "install-test: $failures check(s) failed" >&2; exit 1; }
echo "install-test: all checks passed"
