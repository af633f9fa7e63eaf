#!/usr/bin/env python3
"""Same-sitting A/B table of two builds of the module (scripts/bench.sh --ab).

Reads the JSON files of alternating runs (one file per run, named
round<k>-<A|B>.json), takes per benchmark and build the median wall time,
the median CPU time of every thread and the peak extra memory per face line,
and writes them side by side as a Markdown section into the benchmarks page:
the section titled `title` is replaced if it is there, else appended.
"""
import glob
import json
import os
import re
import statistics
import sys

runs_dir, out, title, label_a, label_b, rev_a, rev_b, rounds, note = sys.argv[1:10]


def ms(b, field):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    return b[field] * scale


wall = {}
cpu = {}
peak = {}
for path in sorted(glob.glob(os.path.join(runs_dir, "round*-*.json"))):
    side = re.search(r"-([AB])\.json$", path).group(1)
    for b in json.load(open(path))["benchmarks"]:
        if b.get("run_type") == "aggregate":
            continue
        name = re.sub(r"(/process_time)?(/real_time)?$", "", b["run_name"])
        wall.setdefault((name, side), []).append(ms(b, "real_time"))
        cpu.setdefault((name, side), []).append(ms(b, "cpu_time"))
        if "peak_B_per_line" in b:
            peak.setdefault((name, side), []).append(b["peak_B_per_line"])

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from command_names import NAMES as names  # noqa: E402

starts = ["none", "p10", "all", "faces_lines"]


def fmt(x):
    if x is None:
        return "—"
    if abs(x) >= 100:
        return f"{x:.0f}"
    if abs(x) >= 10:
        return f"{x:.1f}"
    return f"{x:.3g}"


def med(table, key):
    v = table.get(key)
    return statistics.median(v) if v else None


rows = []
for (name, side) in wall:
    if side != "A":
        continue
    m = re.match(r"module/cmd(\d+)/\w+/(\d+)/(\w+)$", name)
    if m:
        rows.append((int(m.group(2)), int(m.group(1)), starts.index(m.group(3)), name, m.group(3)))
rows.sort()

section = [f"## {title}", ""]
section.append(f"A = {label_a} (`{rev_a}`), B = {label_b} (`{rev_b}`). {note}".rstrip())
section.append("")
section.append(f"Both builds of the module timed by the same benchmark binary against the same host and meshes,")
section.append(f"in {rounds} rounds that alternate A and B (A B, B A, ...), one process per build and round;")
section.append("medians over the rounds. `B/A` below 1 means B is faster. CPU is every thread's together;")
section.append("B/line is the peak extra heap use per face line in the untimed run.")
section.append("")
section.append("| command | start | faces | A ms | B ms | B/A | A CPU ms | B CPU ms | A B/line | B B/line |")
section.append("|---|---|---:|---:|---:|---:|---:|---:|---:|---:|")
for faces, cmd, _, name, start in rows:
    a, b = med(wall, (name, "A")), med(wall, (name, "B"))
    section.append(f"| {cmd} {names[cmd]} | {start} | {faces // 1000}k | {fmt(a)} | {fmt(b)} | "
                   f"{fmt(b / a if a and b else None)} | {fmt(med(cpu, (name, 'A')))} | {fmt(med(cpu, (name, 'B')))} | "
                   f"{fmt(med(peak, (name, 'A')))} | {fmt(med(peak, (name, 'B')))} |")
section.append("")

text = open(out).read() if os.path.exists(out) else "# Benchmarks\n"
lines = text.rstrip("\n").split("\n")
head = f"## {title}"
if head in lines:
    at = lines.index(head)
    end = next((i for i in range(at + 1, len(lines)) if lines[i].startswith("## ")), len(lines))
    lines[at:end] = section[:-1] + [""]
else:
    lines += [""] + section[:-1]
open(out, "w").write("\n".join(lines) + "\n")
print(f"wrote section '{title}' of {out}")
