#!/usr/bin/env bash
# Peak committed memory per face line and wall time of every command, each
# case in a fresh process of the memory probe (bench/memory_probe.cpp), on
# the Linux build and on the shipped 32-bit Windows build under Wine.
#
#   scripts/bench-memory.sh [OPTION]...
#       Every command (1 to 30, from the starting selections module_bench
#       uses) at each size, one fresh probe process per case and build;
#       writes the table to docs/memory.md.
#   scripts/bench-memory.sh --ab MODULE_A MODULE_B [OPTION]...
#       The same cases with two builds of the module, alternating A, B, A, B
#       (a fresh process each) for --rounds rounds in one sitting; writes a
#       table of wall time and bytes per line, A beside B, to --out (default
#       build/bench-memory/ab-<build>.md) and prints it. With --build win32
#       the modules are two 32-bit vexolin.dll files, run by the 32-bit
#       build's probe and stand-in host under Wine.
#
# Options:
#   --builds LIST    builds to run, comma-separated, of linux (build/default),
#                    win32 (build/mingw32: the release's 32-bit DLL, built as
#                    the release builds it, run under 32-bit Wine) and win64
#                    (build/mingw64, under Wine). Default: linux,win32. A
#                    build that cannot run here (win32 where the kernel runs
#                    no 32-bit code, or without Wine and mingw-w64) is named
#                    in the output as not run. With --ab, one build: --build.
#   --sizes LIST     face counts, comma-separated (default 1000000,4000000;
#                    with --ab, 1000000)
#   --runs N         timed runs after the measured one, per process, at up to
#                    1M faces (default 5)
#   --runs-large N   the same above 1M faces (default 1)
#   --rounds N       with --ab: processes per module and case (default 3)
#   --commands LIST  only these command numbers, comma-separated
#   --out FILE       the table (default docs/memory.md; with --ab see above)
#   --no-build       use the builds as they are
#   --append         keep the rows of builds not run now (from the last runs),
#                    so that builds can be run one at a time into one table
#   --render         run nothing: write the table again from the last runs
#
# Each build is configured from its preset when its folder has none yet, and
# its probe, stand-in host and module are brought up to date (the win32 one
# in the release's environment, scripts/reproducible-env.sh, so its DLL is
# the shipped bytes). Raw probe lines are kept in build/bench-memory/.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

die() { echo "bench-memory: ERROR: $*" >&2; exit 2; }

builds="linux,win32"
build_given=0
sizes="1000000,4000000"
sizes_given=0
runs=5
runs_large=1
rounds=3
commands=""
out=""
do_build=1
append=0
render=0
ab_a=""
ab_b=""
while [ $# -gt 0 ]; do
  case "$1" in
    --builds | --build) builds="${2:?$1 needs a value}"; build_given=1; shift 2 ;;
    --sizes) sizes="${2:?--sizes needs a value}"; sizes_given=1; shift 2 ;;
    --runs) runs="${2:?--runs needs a value}"; shift 2 ;;
    --runs-large) runs_large="${2:?--runs-large needs a value}"; shift 2 ;;
    --rounds) rounds="${2:?--rounds needs a value}"; shift 2 ;;
    --commands) commands="${2:?--commands needs a value}"; shift 2 ;;
    --out) out="${2:?--out needs a value}"; shift 2 ;;
    --no-build) do_build=0; shift ;;
    --append) append=1; shift ;;
    --render) render=1; shift ;;
    --ab) ab_a="${2:?--ab needs two modules}"; ab_b="${3:?--ab needs two modules}"; shift 3 ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) die "unknown argument '$1' (see --help)" ;;
  esac
done
for n in "$runs" "$runs_large" "$rounds"; do
  [[ "$n" =~ ^[1-9][0-9]*$ ]] || die "'$n' is not a count"
done
[[ "$sizes" =~ ^[1-9][0-9]*(,[1-9][0-9]*)*$ ]] || die "--sizes '$sizes' is not a list of face counts"
[[ -z "$commands" || "$commands" =~ ^[0-9]+(,[0-9]+)*$ ]] || die "--commands '$commands' is not a list of numbers"

if [ -n "$ab_a" ]; then
  [ "$build_given" = 1 ] || builds=linux
  [[ "$builds" != *,* ]] || die "--ab runs one build (--build linux, win32 or win64)"
  for m in "$ab_a" "$ab_b"; do [ -f "$m" ] || die "no module $m"; done
  ab_a="$(realpath "$ab_a")"
  ab_b="$(realpath "$ab_b")"
  [ -n "$out" ] || out="build/bench-memory/ab-$builds.md"
  [ "$sizes_given" = 1 ] || sizes=1000000
else
  [ -n "$out" ] || out="docs/memory.md"
fi

work="build/bench-memory"
mkdir -p "$work"

preset_of() { case "$1" in linux) echo default ;; win32) echo mingw32 ;; win64) echo mingw64 ;; *) return 1 ;; esac; }

# Why build $1 cannot run on this machine, or nothing.
cannot_run() {
  case "$1" in
    linux) ;;
    win32)
      if ! scripts/i386-emulation.sh native; then
        echo "this kernel runs no 32-bit x86 code (scripts/i386-emulation.sh native), so 32-bit Wine would run under an emulator"
        return
      fi
      [ -x /usr/lib/wine/wine ] || { echo "no 32-bit Wine (/usr/lib/wine/wine)"; return; }
      command -v i686-w64-mingw32-g++ >/dev/null || echo "no i686-w64-mingw32-g++" ;;
    win64)
      [ -x /usr/lib/wine/wine64 ] || { echo "no 64-bit Wine (/usr/lib/wine/wine64)"; return; }
      command -v x86_64-w64-mingw32-g++ >/dev/null || echo "no x86_64-w64-mingw32-g++" ;;
    *) echo "unknown build '$1' (builds: linux, win32, win64)" ;;
  esac
}

# Configures (when needed) and builds the probe of build $1.
build() {
  local preset dir env=()
  preset="$(preset_of "$1")"
  dir="build/$preset"
  [ "$1" = win32 ] && env=(scripts/reproducible-env.sh)
  if [ ! -f "$dir/CMakeCache.txt" ]; then "${env[@]}" cmake --preset "$preset" >/dev/null; fi
  "${env[@]}" cmake --build "$dir" -j2 --target vexolin_memory_probe vexolin standin_host >/dev/null
}

# Fills the array `probe` with the command that starts build $1's probe.
probe_command() {
  local file
  file="build/$(preset_of "$1")/bench/memory_probe_command.txt"
  [ -f "$file" ] || die "no $file: configure and build that build first"
  mapfile -t probe <"$file"
}

# One folder per mode: per build, its probe lines (<build>.tsv), what the run
# was (<build>.meta) or why it could not run (<build>.skipped).
if [ -n "$ab_a" ]; then dir="$work/ab"; else dir="$work/table"; fi
mkdir -p "$dir"
{ [ "$append" = 1 ] && [ -z "$ab_a" ]; } || [ "$render" = 1 ] || rm -f "$dir"/*.tsv "$dir"/*.meta "$dir"/*.skipped

# Runs one case: build $1, faces $2, command $3, start $4, timed runs $5,
# module $6 (empty: the build's own); appends "build<TAB>faces<TAB>tag<TAB>"
# ($7 the tag) and the probe's line, or a "failed" line with its message, to
# the build's file.
run_case() {
  local line err status args=(--faces "$2" --command "$3" --start "$4" --runs "$5")
  [ -n "$6" ] && args+=(--module "$6")
  err="$(mktemp)"
  set +e
  line="$("${probe[@]}" "${args[@]}" 2>"$err" | grep -m1 $'^case\t')"
  status=$?
  set -e
  if [ "$status" -eq 0 ] && [ -n "$line" ]; then
    printf '%s\t%s\t%s\t%s\n' "$1" "$2" "$7" "$line" >>"$dir/$1.tsv"
  else
    printf '%s\t%s\t%s\tfailed\tcommand=%s\tstart=%s\terror=%s\n' "$1" "$2" "$7" "$3" "$4" \
      "$(tail -1 "$err" | tr '\t' ' ')" >>"$dir/$1.tsv"
    echo "bench-memory: $1, $2 faces, command $3 from $4: $(tail -1 "$err")" >&2
  fi
  rm -f "$err"
}

IFS=, read -r -a build_list <<<"$builds"
[ "$render" = 0 ] || build_list=()
IFS=, read -r -a size_list <<<"$sizes"
for b in "${build_list[@]}"; do
  rm -f "$dir/$b.tsv" "$dir/$b.meta" "$dir/$b.skipped"
  reason="$(cannot_run "$b")"
  if [ -n "$reason" ]; then
    echo "bench-memory: build $b not run: $reason" >&2
    echo "$reason" >"$dir/$b.skipped"
    continue
  fi
  if [ "$do_build" = 1 ]; then
    echo "bench-memory: building $b" >&2
    build "$b"
  fi
  probe_command "$b"
  mapfile -t cases < <("${probe[@]}" --list | tr -d '\r')
  [ ${#cases[@]} -gt 0 ] || die "the $b probe lists no cases"
  meta="$dir/$b.meta"
  {
    echo "date=$(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)$(
      [ -z "$(git status --porcelain --untracked-files=no 2>/dev/null)" ] || echo ' (with changes not committed)')"
    echo "load_before=$(cut -d' ' -f1-3 /proc/loadavg)"
    dll="build/$(preset_of "$b")/plugin/vexolin.dll"
    [ ! -f "$dll" ] || echo "module_sha256=$(sha256sum <"$dll" | cut -d' ' -f1)"
    echo "runs=$runs"
    echo "runs_large=$runs_large"
    echo "rounds=$rounds"
    echo "module_a=$ab_a"
    echo "module_b=$ab_b"
  } >"$meta"
  started=$SECONDS
  : >"$dir/$b.tsv"
  for faces in "${size_list[@]}"; do
    n=$runs
    [ "$faces" -gt 1000000 ] && n=$runs_large
    for c in "${cases[@]}"; do
      IFS=$'\t' read -r number start _label <<<"$c"
      if [ -n "$commands" ] && [[ ",$commands," != *",$number,"* ]]; then continue; fi
      echo "bench-memory: $b, $faces faces, command $number from $start" >&2
      if [ -n "$ab_a" ]; then
        for ((r = 1; r <= rounds; ++r)); do
          run_case "$b" "$faces" "$number" "$start" "$n" "$ab_a" A
          run_case "$b" "$faces" "$number" "$start" "$n" "$ab_b" B
        done
      else
        run_case "$b" "$faces" "$number" "$start" "$n" "" -
      fi
    done
  done
  {
    echo "load_after=$(cut -d' ' -f1-3 /proc/loadavg)"
    echo "seconds=$((SECONDS - started))"
  } >>"$meta"
done

mkdir -p "$(dirname "$out")"
machine="$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1), $(nproc) cores, $(uname -sr)"
python3 - "$([ -n "$ab_a" ] && echo ab || echo table)" "$dir" "$out" "$machine" <<'PY'
import glob, os, re, sys, statistics

mode, folder, out, machine = sys.argv[1:]
LIMIT = 16.0
BUILD_NAMES = {"linux": "Linux x86-64", "win32": "Win32 (32-bit Wine)", "win64": "Win64 (Wine)"}
START_ORDER = ["none", "p10", "all", "faces_lines"]

ORDER = ["linux", "win32", "win64"]
def build_order(name):
    return (ORDER.index(name) if name in ORDER else 9, name)

metas, skipped, rows = {}, [], []
for path in sorted(glob.glob(os.path.join(folder, "*.meta"))):
    m = {}
    for l in open(path):
        k, _, v = l.rstrip("\n").partition("=")
        m[k] = v
    metas[os.path.basename(path)[:-5]] = m
for path in sorted(glob.glob(os.path.join(folder, "*.skipped"))):
    skipped.append((os.path.basename(path)[:-8], open(path).read().strip()))

def parse(line):
    parts = line.rstrip("\n").split("\t")
    build, faces, tag, kind = parts[0], int(parts[1]), parts[2], parts[3]
    fields = dict(p.split("=", 1) for p in parts[4:] if "=" in p)
    fields["ok"] = kind == "case"
    return build, faces, tag, fields

for path in glob.glob(os.path.join(folder, "*.tsv")):
    rows += [parse(l) for l in open(path) if l.strip()]
builds = sorted({b for b, _, _, _ in rows}, key=build_order)
skipped.sort(key=lambda s: build_order(s[0]))
sizes = sorted({f for _, f, _, _ in rows})
labels = {}
counters = {}
for b, _, _, r in rows:
    if r["ok"]:
        labels[int(r["command"])] = re.sub(r"\(&.\)", "", r["label"])
        counters[b] = f"{r['counter']}, {r['bits']}-bit, {r['runtime']}"
cases = sorted({(int(r["command"]), r["start"]) for _, _, _, r in rows},
               key=lambda c: (c[0], START_ORDER.index(c[1]) if c[1] in START_ORDER else 9))

def size_name(f):
    return f"{f // 1000000}M" if f % 1000000 == 0 else f"{f // 1000}k" if f % 1000 == 0 else str(f)

def bpl(value):
    # Two decimals where one would round onto the budget and hide the side.
    text = f"{value:.2f}" if abs(value - LIMIT) < 0.05 else f"{value:.1f}"
    return f"**{text}** ▲" if value > LIMIT else text


L = []
if mode == "table":
    L.append("# Peak memory per face line")
    L.append("")
    L.append("What each command costs the process it runs in: the process's peak committed bytes during the")
    L.append("command minus the figure just before, per face line (lines = the sum of the faces' point")
    L.append(f"counts). The budget is {LIMIT:.0f} B per line on every build; figures above it are bold and marked ▲.")
    L.append("")
    L.append("Each case is a fresh process of `vexolin_memory_probe` (bench/memory_probe.cpp): the benchmarks'")
    L.append("`grid_dup` mesh (the noisy quad grid with about 1% unwelded vertices, the same mesh as")
    L.append("docs/benchmarks.md) built in the stand-in host, the real module loaded by path and bound with")
    L.append("MQInit, the starting selection set, then one `MQModifySelect` with the scripted user clicking")
    L.append("the command's button in the real dialog. So the figure holds the plug-in's own memory, what")
    L.append("its calls make the host and the dialog hold, allocator overhead, threads' stacks and scratch.")
    L.append("How the peak is read:")
    L.append("- Linux: the resident set's high-water mark (VmHWM), reset through /proc/self/clear_refs just")
    L.append("  before the command, the heap's free pages given back first (malloc_trim).")
    L.append("- Windows: GetProcessMemoryInfo. The peak cannot be reset, so the probe first commits a balloon")
    L.append("  up to the process's peak so far (the mesh's construction) and holds it through the command.")
    L.append("  Under Wine 8 the commit counters do not keep a peak (PeakPagefileUsage reports the current")
    L.append("  value), so the resident set's peak (PeakWorkingSetSize) is used: like the Linux figure, it")
    L.append("  counts pages the command touched, not pages it committed and never touched.")
    L.append("")
    L.append("docs/benchmarks.md's `peak B/line` is another figure: the bytes the command asked of operator new")
    L.append("at its peak, without the allocator's rounding, pages, stacks or what the scratch pool kept.")
    L.append("")
    L.append(f"- Machine: {machine}, shared with other")
    L.append("  builds: the load average (1, 5, 15 min) is given per build. Memory figures do not depend on it;")
    L.append("  wall times do.")
    for b in builds:
        m = metas.get(b, {})
        L.append(f"- {BUILD_NAMES.get(b, b)}: {m.get('date', '?')}, commit {m.get('commit', '?')}; counter "
                 f"{counters.get(b, '?')}; load before {m.get('load_before', '?')}, after {m.get('load_after', '?')};"
                 f" {m.get('seconds', '?')} s for {sum(1 for r in rows if r[0] == b)} processes"
                 + (f"; vexolin.dll SHA-256 `{m['module_sha256']}`" if m.get("module_sha256") else ""))
        L.append(f"  Wall time: the measured run (`first`), and the median of {m.get('runs', '?')} more runs in the same")
        L.append(f"  process at up to 1M faces, {m.get('runs_large', '?')} above; each from the starting selection, set up untimed.")
    for b, reason in skipped:
        L.append(f"- {BUILD_NAMES.get(b, b)}: not run ({reason})")
    L.append("- Reproduce: `scripts/bench-memory.sh`; A/B of two module builds: `scripts/bench-memory.sh --ab A B`")
    L.append("  (`--build win32` for two 32-bit DLLs); `--append` adds or replaces one build's rows. Raw probe")
    L.append("  lines: build/bench-memory/table/<build>.tsv.")
    L.append("")
    L.append("Starting selections: `none`; `p10`, a fixed pattern of about one vertex, line and face in ten;")
    L.append("`all`; `faces_lines`, every face and line but no vertex. Commands that do not read the selection")
    L.append("(1-13, 29, 30) run from `none`, the clears from `all`.")
    L.append("")

    by = {}
    for b, f, _, r in rows:
        by[(b, f, int(r["command"]), r["start"])] = r
    cols = [(b, f) for b in builds for f in sizes]
    L.append("## Bytes per face line")
    L.append("")
    L.append("| command | start |" + "".join(f" {BUILD_NAMES.get(b, b)} {size_name(f)} |" for b, f in cols)
             + f" over {LIMIT:.0f} B/line |")
    L.append("|---|---|" + "---:|" * len(cols) + "---|")
    over_rows = []
    for cmd, start in cases:
        cells, over = [], []
        for b, f in cols:
            r = by.get((b, f, cmd, start))
            if r is None:
                cells.append(" — |")
            elif not r["ok"]:
                cells.append(" failed |")
                over.append(f"{BUILD_NAMES.get(b, b)} {size_name(f)} failed")
            else:
                v = float(r["B_per_line"])
                cells.append(f" {bpl(v)} |")
                if v > LIMIT:
                    over.append(f"{b} {size_name(f)}")
        if over:
            over_rows.append((cmd, start, over))
        L.append(f"| {cmd} {labels.get(cmd, '?')} | {start} |" + "".join(cells) + f" {', '.join(over)} |")
    L.append("")
    if over_rows:
        L.append(f"Over {LIMIT:.0f} B/line: " + "; ".join(f"{c} {labels.get(c, '?')} from {s} ({', '.join(o)})"
                                                       for c, s, o in over_rows) + ".")
    else:
        L.append(f"No command is over {LIMIT:.0f} B/line.")
    L.append("")
    L.append("## Wall time")
    L.append("")
    L.append("Milliseconds: the measured run, then the median of the runs after it (`first / median`).")
    L.append("")
    L.append("| command | start |" + "".join(f" {BUILD_NAMES.get(b, b)} {size_name(f)} ms |" for b, f in cols))
    L.append("|---|---|" + "---:|" * len(cols))
    for cmd, start in cases:
        cells = []
        for b, f in cols:
            r = by.get((b, f, cmd, start))
            if r is None or not r["ok"]:
                cells.append(" — |" if r is None else " failed |")
            else:
                cells.append(f" {float(r['first_ms']):.1f} / {float(r['median_ms']):.1f} |")
        L.append(f"| {cmd} {labels.get(cmd, '?')} | {start} |" + "".join(cells))
    L.append("")
    failed = [(b, f, r) for b, f, _, r in rows if not r["ok"]]
    if failed:
        L.append("Failed cases:")
        for b, f, r in failed:
            L.append(f"- {BUILD_NAMES.get(b, b)} {size_name(f)}, command {r['command']} from {r['start']}: {r.get('error', '')}")
        L.append("")
else:
    groups = {}
    for b, f, tag, r in rows:
        groups.setdefault((f, int(r["command"]), r["start"]), {}).setdefault(tag, []).append(r)
    b = builds[0] if builds else "?"
    meta = metas.get(b, {})
    L.append(f"# A/B: {BUILD_NAMES.get(b, b)}")
    L.append("")
    L.append(f"- A: `{meta.get('module_a')}`")
    L.append(f"- B: `{meta.get('module_b')}`")
    L.append(f"- Date: {meta.get('date', '?')}; machine: {machine}; load average before "
             f"{meta.get('load_before', '?')}, after {meta.get('load_after', '?')}; {meta.get('seconds', '?')} s")
    L.append(f"- {meta.get('rounds')} rounds, A then B, a fresh process each; in each process the measured run and")
    L.append(f"  the median of {meta.get('runs')} more runs (at up to 1M faces; {meta.get('runs_large')} above). `ms` is the median")
    L.append("  over the rounds of those medians (with the rounds' range); B/line is the largest of the rounds.")
    for sb, reason in skipped:
        L.append(f"- not run: {reason}")
    L.append("")
    L.append("| command | start | faces | A ms | B ms | B / A | A B/line | B B/line | same selection |")
    L.append("|---|---|---:|---:|---:|---:|---:|---:|---|")
    for (f, cmd, start) in sorted(groups, key=lambda k: (k[0], k[1], START_ORDER.index(k[2]) if k[2] in START_ORDER else 9)):
        g = groups[(f, cmd, start)]
        cells = []
        ms, mem, sel = {}, {}, {}
        for tag in ("A", "B"):
            ok = [r for r in g.get(tag, []) if r["ok"]]
            if not ok or len(ok) != len(g.get(tag, [])):
                ms[tag] = mem[tag] = None
                continue
            times = [float(r["median_ms"]) for r in ok]
            ms[tag] = (statistics.median(times), min(times), max(times))
            mem[tag] = max(float(r["B_per_line"]) for r in ok)
            sel[tag] = {(r["sel_v"], r["sel_l"], r["sel_f"]) for r in ok}
        def t(x):
            return "failed" if x is None else f"{x[0]:.1f} ({x[1]:.1f}-{x[2]:.1f})"
        def m(x):
            return "failed" if x is None else bpl(x)
        ratio = f"{ms['B'][0] / ms['A'][0]:.2f}" if ms.get("A") and ms.get("B") and ms["A"][0] > 0 else "—"
        same = "—" if "A" not in sel or "B" not in sel else ("yes" if sel["A"] == sel["B"] and len(sel["A"]) == 1 else "**no**")
        L.append(f"| {cmd} {labels.get(cmd, '?')} | {start} | {size_name(f)} | {t(ms.get('A'))} | {t(ms.get('B'))} | "
                 f"{ratio} | {m(mem.get('A'))} | {m(mem.get('B'))} | {same} |")
    L.append("")

open(out, "w").write("\n".join(L))
if mode == "ab":
    print("\n".join(L))
print(f"bench-memory: wrote {out}", file=sys.stderr)
PY
