#!/usr/bin/env python3
"""Draws the picture against the music over the show's time, from the figures arc_plot.sh
gathers in a folder: frames.csv (time, luma, change, colourfulness a frame), events.csv (time,
kind, seen) and loudness_NAME.csv (time, short-term loudness) for the mix and each stem. Writes
a PNG through ImageMagick's drawing language; prints the stretches where picture and music both
stand still. Standard library only.

    arc_plot.py FOLDER OUTPUT.png [FONT]
"""
import csv
import os
import subprocess
import sys

WIDTH, HEIGHT = 1800, 1150
LEFT, RIGHT = 90, 30
SHOW_END = 114.8
STEMS = [("mix", "#ffffff", 3), ("drums", "#e0a040", 1), ("pads", "#60a0ff", 1), ("bass", "#c060ff", 1),
         ("arpeggio", "#40e0a0", 1), ("melody", "#ff6080", 1)]


def read(path):
    with open(path, newline="") as f:
        return list(csv.DictReader(f))


def x_of(t):
    return LEFT + (WIDTH - LEFT - RIGHT) * t / SHOW_END


class Panel:
    def __init__(self, top, height, low, high, title, unit):
        self.top, self.height, self.low, self.high = top, height, low, high
        self.title, self.unit = title, unit

    def y_of(self, v):
        v = min(max(v, self.low), self.high)
        return self.top + self.height * (1.0 - (v - self.low) / (self.high - self.low))


def polyline(points, colour, width):
    if len(points) < 2:
        return []
    # ImageMagick closes a polyline drawn thicker than about two pixels back to its first point:
    # a thick line is drawn as thin ones side by side.
    out = []
    offsets = [0.0] if width <= 1.5 else [-1.0, 0.0, 1.0]
    for dy in offsets:
        coords = " ".join("%.1f,%.1f" % (x, y + dy) for x, y in points)
        out += ["push graphic-context", "fill none", "stroke '%s'" % colour, "stroke-width %g" % min(width, 1.5),
                "polyline %s" % coords, "pop graphic-context"]
    return out


def text(x, y, s, colour="#dddddd", size=14):
    s = s.replace("'", "")
    return ["push graphic-context", "fill '%s'" % colour, "stroke none", "font-size %d" % size,
            "text %.1f,%.1f '%s'" % (x, y, s), "pop graphic-context"]


def line(x0, y0, x1, y1, colour, width=1, dash=None):
    out = ["push graphic-context", "stroke '%s'" % colour, "stroke-width %g" % width, "fill none"]
    if dash:
        out.append("stroke-dasharray %s" % dash)
    out += ["line %.1f,%.1f %.1f,%.1f" % (x0, y0, x1, y1), "pop graphic-context"]
    return out


def averaged(rows, key, step=0.1):
    """Means of a per-frame figure over `step` seconds."""
    bins = {}
    for r in rows:
        k = int(float(r["time"]) / step)
        bins.setdefault(k, []).append(float(r[key]))
    return [((k + 0.5) * step, sum(v) / len(v)) for k, v in sorted(bins.items())]


def still_stretches(frames, mix):
    """8 s windows from 2 to 112 s where the picture is still (mean change under 1.5, brightness
    range under 5) and the short-term loudness spans under 2 LU, merged into stretches."""
    times = [float(r["time"]) for r in frames]
    luma = [float(r["luma"]) for r in frames]
    change = [float(r["change"]) for r in frames]
    loud = [(float(r["time"]), float(r["loudness"])) for r in mix]
    found = []
    start = 2.0
    while start + 8.0 <= 112.0 + 1e-9:
        idx = [i for i, t in enumerate(times) if start <= t < start + 8.0 and i > 0]
        if idx:
            mean_change = sum(change[i] for i in idx) / len(idx)
            span = max(luma[i] for i in idx) - min(luma[i] for i in idx)
            # ffmpeg's short-term value at t covers t-3 .. t: windows lying wholly inside.
            values = [v for t, v in loud if start + 3.0 <= t <= start + 8.0 + 1e-9 and v > -70]
            loud_range = max(values) - min(values) if values else 0.0
            if mean_change < 1.5 and span < 5.0 and loud_range < 2.0:
                found.append((start, start + 8.0))
        start += 0.5
    merged = []
    for a, b in found:
        if merged and a <= merged[-1][1]:
            merged[-1] = (merged[-1][0], b)
        else:
            merged.append((a, b))
    return merged


def main():
    folder, output = sys.argv[1], sys.argv[2]
    font = sys.argv[3] if len(sys.argv) > 3 else ""
    frames = read(os.path.join(folder, "frames.csv"))
    events = read(os.path.join(folder, "events.csv"))
    loudness = {name: read(os.path.join(folder, "loudness_%s.csv" % name)) for name, _, _ in STEMS}

    panels = {
        "luma": Panel(60, 250, 0, 120, "brightness (mean luma) and colourfulness", "0-120"),
        "change": Panel(360, 200, 0, 20, "frame-to-frame change (mean |luma difference|)", "0-20"),
        "loud": Panel(610, 440, -45, -5, "short-term loudness (3 s), mix and stems", "LUFS"),
    }
    mvg = ["viewbox 0 0 %d %d" % (WIDTH, HEIGHT), "fill '#111111'", "rectangle 0,0 %d,%d" % (WIDTH, HEIGHT)]
    if font:
        mvg.append("font '%s'" % font)

    stretches = still_stretches(frames, loudness["mix"])
    for a, b in stretches:
        mvg += ["push graphic-context", "fill '#5a1a1a'", "stroke none",
                "rectangle %.1f,%d %.1f,%d" % (x_of(a), 50, x_of(b), HEIGHT - 60), "pop graphic-context"]

    for p in panels.values():
        mvg += ["push graphic-context", "fill none", "stroke '#444444'",
                "rectangle %d,%d %d,%d" % (LEFT, p.top, WIDTH - RIGHT, p.top + p.height), "pop graphic-context"]
        mvg += text(LEFT + 6, p.top + 18, p.title)
        steps = 4
        for i in range(steps + 1):
            v = p.low + (p.high - p.low) * i / steps
            y = p.y_of(v)
            mvg += line(LEFT, y, WIDTH - RIGHT, y, "#262626")
            mvg += text(8, y + 5, "%g" % v, "#999999", 13)

    # Cuts and events across all panels.
    for i, e in enumerate(events):
        t = float(e["time"])
        x = x_of(t)
        kind = e["kind"]
        if kind.startswith("scene") or kind == "end":
            colour, dash = ("#ffffff", None) if e["seen"] == "1" else ("#aaaaaa", "6,4")
        else:
            colour, dash = "#ffd060", "2,4"
        mvg += line(x, 50, x, HEIGHT - 60, colour, 1.5 if kind.startswith("scene") else 1, dash)
        label = "%s %.1f" % (kind, t)
        # Cuts labelled along the top; the other events along the bottom, in three rows.
        y = 44 if kind.startswith("scene") else HEIGHT - 46 + 15 * (i % 3)
        if kind != "end":
            mvg += text(x + 3, y, label, colour, 13)

    lp, cp, ld = panels["luma"], panels["change"], panels["loud"]
    mvg += polyline([(x_of(t), lp.y_of(v)) for t, v in averaged(frames, "luma")], "#f0f0f0", 1.5)
    mvg += polyline([(x_of(t), lp.y_of(v)) for t, v in averaged(frames, "colourfulness")], "#ff70d0", 1.5)
    mvg += text(WIDTH - 330, lp.top + 18, "white: luma   pink: colourfulness", "#cccccc", 13)
    mvg += polyline([(x_of(t), cp.y_of(v)) for t, v in averaged(frames, "change")], "#70d0ff", 1.2)
    legend_x = WIDTH - 620
    for name, colour, width in STEMS[1:] + STEMS[:1]:
        # One line for each stretch where the track sounds: the meter says nothing over silence
        # nor over the first 3 s.
        segment = []
        for r in loudness[name]:
            t, v = float(r["time"]), float(r["loudness"])
            if v > -70.0 and t <= SHOW_END:
                segment.append((x_of(t), ld.y_of(v)))
            elif segment:
                mvg += polyline(segment, colour, width)
                segment = []
        mvg += polyline(segment, colour, width)
    for i, (name, colour, _) in enumerate(STEMS):
        mvg += text(legend_x + 100 * i, ld.top + 18, name, colour, 14)
    for t in range(0, 115, 10):
        mvg += line(x_of(t), ld.top + ld.height, x_of(t), ld.top + ld.height + 6, "#999999")
        mvg += text(x_of(t) - 10, ld.top + ld.height + 22, "%d s" % t, "#999999", 13)
    note = ("red: 8 s windows where the picture is still and the music within 2 LU" if stretches
            else "no 8 s window where the picture is still and the music within 2 LU")
    mvg += text(LEFT, 30, note, "#cc7777", 13)

    mvg_path = os.path.join(folder, "plot.mvg")
    with open(mvg_path, "w") as f:
        f.write("\n".join(mvg) + "\n")
    subprocess.run(["convert", "mvg:" + mvg_path, "png:" + output], check=True)
    if stretches:
        print("still stretches (picture and music): " + ", ".join("%.1f-%.1f s" % s for s in stretches))
    else:
        print("no 8 s window where picture and music both stand still")


if __name__ == "__main__":
    main()
