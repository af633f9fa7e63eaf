#!/usr/bin/env bash
# Runs every fuzz target for a while, two at a time, and prints what each
# did: executions, coverage (libFuzzer's cov/ft at the end), findings.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS per target (default 60); TARGET names (e.g. obj_loader) pick some
# targets, all by default. FUZZ_JOBS (default 2) targets run at a time.
#
# Builds the fuzz preset (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer). Each target starts from its corpus in
# tests/fuzz/corpus/<target>/; what it finds interesting is merged back into
# that folder, keeping only inputs that add coverage. A finding (crash, leak,
# failed check, out of memory, timeout) is saved under
# build/fuzz/findings/<target>/ until the next run, and makes the script
# exit with status 1: fix it in the product, then copy the input into the
# corpus, so the replay in the sanitizer tests keeps it fixed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
[[ "$seconds" =~ ^[0-9]+$ ]] && [ "$seconds" -gt 0 ] || { echo "usage: scripts/fuzz.sh [SECONDS] [TARGET...]" >&2; exit 2; }
[ $# -gt 0 ] && shift
jobs="${FUZZ_JOBS:-2}"
[[ "$jobs" =~ ^[1-9][0-9]*$ ]] || { echo "fuzz: FUZZ_JOBS must be a positive number" >&2; exit 2; }

scripts/install-deps.sh build fuzz

targets=()
if [ $# -gt 0 ]; then
  for name in "$@"; do
    [ -f "tests/fuzz/${name}_fuzz.cpp" ] || { echo "fuzz: no target '$name' (tests/fuzz/${name}_fuzz.cpp)" >&2; exit 2; }
    targets+=("$name")
  done
else
  for source in tests/fuzz/*_fuzz.cpp; do
    targets+=("$(basename "$source" _fuzz.cpp)")
  done
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 --target "${targets[@]/#/fuzz_}"

build=build/fuzz
work="$build/fuzz-runs"
for name in "${targets[@]}"; do rm -rf "${work:?}/$name" "$build/findings/$name"; done
mkdir -p "$work"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/support/lsan_suppressions.txt:print_suppressions=0"

# Memory: a single allocation beyond 256 MB, or a process beyond 2 GB, is a
# finding; the file readers, whose inputs are small, must stay far lower.
limits() {
  case "$1" in
    scene_json | obj_loader) echo "-malloc_limit_mb=64 -rss_limit_mb=1024" ;;
    *) echo "-malloc_limit_mb=256 -rss_limit_mb=2048" ;;
  esac
}

run_target() {
  local name="$1"
  local program="$build/tests/fuzz/fuzz_$name"
  local corpus="tests/fuzz/corpus/$name"
  local fresh="$work/$name/new"
  local findings="$build/findings/$name"
  mkdir -p "$fresh" "$findings" "$corpus"
  # New inputs go to the fresh folder; the checked-in corpus is read only.
  # shellcheck disable=SC2046
  "$program" -max_total_time="$seconds" -print_final_stats=1 -timeout=25 $(limits "$name") \
    -artifact_prefix="$findings/" "$fresh" "$corpus" >"$work/$name/log" 2>&1 || true
  # Keep only what adds coverage to the corpus.
  "$program" -merge=1 $(limits "$name") "$corpus" "$fresh" >"$work/$name/merge.log" 2>&1 || true
}

running=0
for name in "${targets[@]}"; do
  run_target "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

failed=0
printf '\n%-16s %12s %8s %8s  %s\n' target executions cov ft findings
for name in "${targets[@]}"; do
  log="$work/$name/log"
  executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)"
  last="$(grep -E '(DONE|pulse|NEW|REDUCE|INITED) +cov:' "$log" | tail -n1 || true)"
  cov="$(sed -n 's/.*cov: \([0-9]*\).*/\1/p' <<<"$last")"
  ft="$(sed -n 's/.*ft: \([0-9]*\).*/\1/p' <<<"$last")"
  # An input libFuzzer reports as slow (over 10 s) is run again on its own:
  # only when it is slow then too is it a finding (a stall of a loaded
  # machine is not).
  slow=""
  while IFS= read -r unit; do
    start=$(date +%s)
    "$build/tests/fuzz/fuzz_$name" "$unit" >/dev/null 2>&1 || true
    took=$(( $(date +%s) - start ))
    if [ "$took" -ge 10 ]; then slow="$slow $(basename "$unit")(${took}s)"; else rm -f "$unit"; fi
  done < <(find "$build/findings/$name" -type f -name 'slow-unit-*')
  [ -n "$slow" ] && echo "$name: slow again when run alone:$slow" >&2
  found="$(find "$build/findings/$name" -type f | wc -l)"
  if [ "$found" -gt 0 ] || grep -qE '^==[0-9]+==ERROR|deadly signal|check failed' "$log"; then
    failed=1
    first="$(find "$build/findings/$name" -type f | head -n1)"
    found="$found ${first:-(see $log)}"
  fi
  printf '%-16s %12s %8s %8s  %s\n' "$name" "${executions:-?}" "${cov:-?}" "${ft:-?}" "$found"
done

size_kb="$(find tests/fuzz/corpus -type f -printf '%s\n' | awk '{ total += $1 } END { print int((total + 1023) / 1024) }')"
echo "corpus: $(find tests/fuzz/corpus -type f | wc -l) files, ${size_kb} KB (limit 5120 KB)"
if [ "$size_kb" -gt 5120 ]; then
  echo "fuzz: the corpus is larger than 5 MB; minimise it (libFuzzer -merge=1 into an empty folder)" >&2
  failed=1
fi
exit "$failed"
