#!/usr/bin/env bash
# Builds the project and runs vexolin-run on the bundled roof sample: the
# "Ridge(&R)" command on the roof, with the selection printed and written as
# JSON and as a picture.
#
# Usage: scripts/run-sample.sh [extra vexolin-run options...]
#   e.g. scripts/run-sample.sh --press "Edge(&E)" --view front
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build
cmake --preset default >/dev/null
cmake --build --preset default --target vexolin-run

out=build/default/sample
mkdir -p "$out"
tool=build/default/standin/cli/vexolin-run

press=(--press "Ridge(&R)")
for arg in "$@"; do
  case "$arg" in --press|--alt) press=() ;; esac
done

echo "+ vexolin-run samples/roof.obj ${press[*]} $*"
set +e
"$tool" samples/roof.obj "${press[@]}" \
  --settings "$out/settings.xml" \
  --json "$out/roof-selection.json" \
  --png "$out/roof-selection.png" \
  "$@"
status=$?
set -e
if [ $status -eq 0 ]; then
  echo "picture: $(realpath "$out/roof-selection.png")"
  echo "selection: $(realpath "$out/roof-selection.json")"
else
  echo "vexolin-run ended with status $status" >&2
fi
exit $status
