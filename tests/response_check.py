#!/usr/bin/env python3
"""response_check.py: the response table and plot of one run agree.

    response_check.py NAME.csv NAME.svg CONTROL

The table and the plot agree (channels, descriptions and figures, every
curve point on the table, the output band ending at the band edge), and so
do the table and its figures (above -3 dB below the band edge, at or below
the worst alias or image in the alias bands). Exit status 1 on a problem.
"""
import bisect
import csv
import io
import re
import sys
import xml.etree.ElementTree as ET

SVG = "{http://www.w3.org/2000/svg}"


def parse_csv(text):
    """(channel lines by letter, columns by name, frequencies)"""
    lines = text.split("\n")
    comments = [l for l in lines if l.startswith("#")]
    channel_lines = {}
    for c in comments:
        m = re.match(r"^# ([A-D]): (.*)$", c)
        if m:
            channel_lines.setdefault(m.group(1), []).append(m.group(2))
    rows = list(csv.reader(io.StringIO("\n".join(l for l in lines if l and not l.startswith("#")))))
    header, data = rows[0], rows[1:]
    columns = {name: [float(r[k]) if r[k] else None for r in data] for k, name in enumerate(header)}
    return channel_lines, columns, columns["frequency_MHz"]


def figure_value(figures, prefix):
    for f in figures:
        if f.startswith(prefix):
            return float(re.search(r"-?\d+\.\d+", f[len(prefix):]).group(0))
    return None


def check_panel(panel, lines, columns, freq, fail):
    ch = panel.get("data-channel")
    heading = [t.text for t in panel.iter(SVG + "text") if t.get("class") == "heading"]
    figures = [t.text for t in panel.iter(SVG + "text") if t.get("class") == "figure"]
    if heading != [ch + ": " + lines[0]] or figures != lines[1:]:
        fail("panel %s does not show the table's lines" % ch)
    if "not drawn" in lines[0]:
        return
    xl, xr = float(panel.get("data-x-left")), float(panel.get("data-x-right"))
    yt, yb = float(panel.get("data-y-top")), float(panel.get("data-y-bottom"))
    fmax = float(panel.get("data-f-max"))
    dbt, dbb = float(panel.get("data-db-top")), float(panel.get("data-db-bottom"))
    # Points are written to a tenth of a pixel.
    tol_f = 0.06 * fmax / (xr - xl)
    tol_db = 0.06 * (dbt - dbb) / (yb - yt) + 0.0011

    def off_table(line):
        values = columns["%s_%s_dB" % (ch, line.get("class"))]
        points = [tuple(float(v) for v in p.split(",")) for p in line.get("points").split()]
        for x, y in points:
            f = (x - xl) / (xr - xl) * fmax
            db = dbt - (y - yt) / (yb - yt) * (dbt - dbb)
            lo, hi = bisect.bisect_left(freq, f - tol_f), bisect.bisect_right(freq, f + tol_f)
            near = [values[i] for i in range(lo, hi) if values[i] is not None]
            if not any(abs(v - db) <= tol_db or (db < dbb and v <= dbb) for v in near):
                return "point %s,%s is not on the table" % (x, y)
        if abs(points[0][0] - xl) > 0.1 or abs(points[-1][0] - xr) > 0.1:
            return "it does not span the axis"
        return None

    for line in panel.iter(SVG + "polyline"):
        problem = off_table(line)
        if problem:
            fail("panel %s, %s curve: %s" % (ch, line.get("class"), problem))
    rects = {r.get("class"): r for r in panel.iter(SVG + "rect") if r.get("class")}
    edge = figure_value(figures, "-3 dB band edge: none up to ") or figure_value(figures, "-3 dB band edge: ")
    if edge is None or float(rects["output-band"].get("data-hi")) != edge:
        fail("panel %s: the output band does not end at the band edge" % ch)
        return
    combined = columns[ch + "_combined_dB"]
    if any(v is not None and v <= -3.0 - 0.0011 for f, v in zip(freq, combined) if f < edge - 1e-6):
        fail("panel %s: the table falls below -3 dB before the band edge" % ch)
    worst = figure_value(figures, "largest image: ")
    if worst is None and figure_value(figures, "worst-case alias attenuation: ") is not None:
        worst = -figure_value(figures, "worst-case alias attenuation: ")
    for r in panel.iter(SVG + "rect"):
        if r.get("class") == "alias-band":
            lo, hi = float(r.get("data-lo")), float(r.get("data-hi"))
            if any(lo <= f <= hi and v is not None and v > worst + 0.0011 for f, v in zip(freq, combined)):
                fail("panel %s: the table exceeds the worst alias in %s to %s MHz" % (ch, lo, hi))
                break


def check_files(csv_path, svg_path, control, fail):
    with open(csv_path, encoding="ascii") as f:
        channel_lines, columns, freq = parse_csv(f.read())
    svg = ET.parse(svg_path).getroot()
    if freq and (freq[0] != 0 or freq != sorted(freq) or len(freq) < 4097):
        fail("the table's frequencies do not run from 0 up over at least 4,097 rows")
    titles = [t.text for t in svg.iter(SVG + "text") if t.get("class") == "title"]
    if titles != [control]:
        fail("the plot's title is %s" % titles)
    panels = [g for g in svg.iter(SVG + "g") if g.get("class") == "panel"]
    if [p.get("data-channel") for p in panels] != sorted(channel_lines):
        fail("the plot's panels are not the table's channels")
    for panel in panels:
        check_panel(panel, channel_lines.get(panel.get("data-channel"), [""]), columns, freq, fail)


def main():
    failures = []
    try:
        check_files(sys.argv[1], sys.argv[2], sys.argv[3], failures.append)
    except Exception as e:  # a file that is missing or does not parse
        failures.append("%s: %s" % (type(e).__name__, e))
    for f in failures:
        print("wrong: %s: %s" % (sys.argv[1], f))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
