#!/usr/bin/env python3
"""Medians of scripts/bench's figure lines ("kind figure value"), as the
Markdown table the README shows: summarize.py FIGURES RUNS."""
import statistics, sys
values = {}
for line in open(sys.argv[1]):
    kind, figure, value = line.split()
    values.setdefault((kind, figure), []).append(float(value))
def median(kind, figure):
    v = values.get((kind, figure))
    return statistics.median(v) if v else None
def cell(v, unit):
    return "—" if v is None else f"{v:.1f} {unit}" if unit != "%" else f"{v:.3f} %"
rows = [
    ("start-up to window 55 visible", "visible", "ms", "ratio", "≤ 1.5 ×"),
    ("start-up to the event loop answering", "answering", "ms", "ratio", "≤ 2 ×"),
    ("refresh after a city pick (loopback, Content-Length)", "refresh", "ms", None, "≤ 30 ms"),
    ("right press → city window visible", "city_visible", "ms", None, "≤ 60 ms"),
    ("right press → city list filled, loop answering", "city_filled", "ms", None, "—"),
    ("idle wake-ups (context switches per second, clouds gone)", "wakeups_per_s", "/s", None, "≤ 2 /s"),
    ("idle CPU (of one core)", "cpu_percent", "%", None, "≤ 0.02 %"),
    ("anonymous memory (RssAnon)", "rss_anon_mb", "MB", "diff", "≤ floor + 6 MB"),
]
print(f"medians of {sys.argv[2]} runs each, widget and the floors alternating\n")
print("| figure | widget | floor | floor, 1 s timer | widget vs floor | goal |")
print("|---|---|---|---|---|---|")
for name, figure, unit, compare, goal in rows:
    w, f = median("widget", figure), median("floor", figure)
    t = median("floor_timer", figure)
    versus = "—"
    if compare == "ratio" and w and f:
        versus = f"{w / f:.1f} ×"
    elif compare == "diff" and w is not None and f is not None:
        versus = f"+{w - f:.1f} MB"
    print(f"| {name} | {cell(w, unit)} | {cell(f, unit)} | {cell(t, unit)} | {versus} | {goal} |")
