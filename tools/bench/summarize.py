#!/usr/bin/env python3
"""Medians of scripts/bench's figure lines ("kind figure value"), as the
Markdown table the README shows: summarize.py FIGURES RUNS."""
import statistics, sys
values = {}
steps, memory = {}, {}
for line in open(sys.argv[1]):
    fields = line.split()
    if fields[0] == "widget_report":
        _, what, name, value = fields
        (steps if what == "step" else memory).setdefault(name, []).append(float(value))
        continue
    kind, figure, value = fields
    values.setdefault((kind, figure), []).append(float(value))
def median(kind, figure):
    v = values.get((kind, figure))
    return statistics.median(v) if v else None
def cell(v, unit):
    return "—" if v is None else f"{v:.1f} {unit}" if unit != "%" else f"{v:.3f} %"
rows = [
    ("start-up to window 55 visible", "visible", "ms", "ratio", "≤ 1.10 × structure"),
    ("start-up to the event loop answering", "answering", "ms", "ratio", "≤ 1.15 × structure"),
    ("refresh after a city pick (loopback, Content-Length)", "refresh", "ms", None, "≤ 30 ms"),
    ("right press → city window visible", "city_visible", "ms", None, "≤ 60 ms"),
    ("right press → city list filled, loop answering", "city_filled", "ms", None, "—"),
    ("idle wake-ups (context switches per second, clouds gone)", "wakeups_per_s", "/s", None,
     "= structure"),
    ("idle CPU (of one core)", "cpu_percent", "%", None, "= structure"),
    ("anonymous memory (RssAnon)", "rss_anon_mb", "MB", "diff", "≤ structure + 3 MB"),
]
def versus(compare, w, base):
    if compare == "ratio" and w and base:
        return f"{w / base:.2f} ×"
    if compare == "diff" and w is not None and base is not None:
        return f"{w - base:+.1f} MB"
    return "—"
print(f"medians of {sys.argv[2]} runs each, widget and the floors alternating\n")
print("| figure | widget | structural floor | widget vs structure | one-window floor "
      "| one window, 1 s timer | widget vs one window | goal |")
print("|---|---|---|---|---|---|---|---|")
for name, figure, unit, compare, goal in rows:
    w, s = median("widget", figure), median("structure", figure)
    f, t = median("floor", figure), median("floor_timer", figure)
    print(f"| {name} | {cell(w, unit)} | {cell(s, unit)} | {versus(compare, w, s)} "
          f"| {cell(f, unit)} | {cell(t, unit)} | {versus(compare, w, f)} | {goal} |")

if steps:
    print("\nthe widget's start-up steps (ms since its entry point, medians; each row ends a step)\n")
    print("| step | at | step alone |")
    print("|---|---|---|")
    before = 0.0
    for name, v in steps.items():
        at = statistics.median(v)
        print(f"| {name} | {at:.1f} ms | {at - before:.1f} ms |")
        before = at
if memory:
    print("\nthe widget's memory by kind after start-up (medians)\n")
    print("| kind | MB |")
    print("|---|---|")
    for name, v in memory.items():
        print(f"| {name.replace('_', ' ')} | {statistics.median(v) / 1048576:.2f} |")
