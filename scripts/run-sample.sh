#!/usr/bin/env bash
# Builds the project and runs vexolin-run on the bundled roof sample: the
# "Ridge(&R)" command on the roof, with the selection printed and written as
# JSON and as a picture, and a picture of the command dialog as it opened.
#
# Usage: scripts/run-sample.sh [extra vexolin-run options...]
#   e.g. scripts/run-sample.sh --press "Edge(&E)" --view front
#        scripts/run-sample.sh --alt Q --select-faces roof=0,1
# Installs missing Debian packages first (scripts/install-deps.sh; as root,
# or with sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

scripts/install-deps.sh build
echo "+ configuring and building vexolin-run (first time: a few minutes)"
cmake --preset default >/dev/null
cmake --build --preset default --target vexolin-run

out=build/default/sample
mkdir -p "$out"
tool=build/default/standin/cli/vexolin-run

# Ridge unless the caller chooses a command with --press or --alt.
press=(--press "Ridge(&R)")
for arg in "$@"; do
  case "$arg" in --press|--press=*|--alt|--alt=*) press=() ;; esac
done

echo
echo "+ vexolin-run samples/roof.obj ${press[*]} $*"
set +e
"$tool" samples/roof.obj "${press[@]}" \
  --settings "$out/settings.xml" \
  --json "$out/roof-selection.json" \
  --png "$out/roof-selection.png" \
  --dialog-png "$out/dialog.png" \
  "$@"
status=$?
set -e
echo
if [ $status -eq 0 ]; then
  echo "picture of the selection: $(realpath "$out/roof-selection.png")"
  echo "selection as JSON:        $(realpath "$out/roof-selection.json")"
  echo "the dialog as it opened:  $(realpath "$out/dialog.png")"
  echo "the tool, for more:       $tool --help   ($tool --list --settings $out/settings.xml shows the dialog)"
  echo "done in $((SECONDS - started)) s"
else
  echo "vexolin-run ended with status $status" >&2
fi
exit $status
