#!/usr/bin/python3
"""Frames per second of the page per scene in the system's headless chromium (software WebGL).

A benchmark, not a test: for each scene the page is opened part-way through it (?at=...&window)
at --size, Play is pressed, and after a warm-up the frames drawn over --seconds are counted, with
what the GL compatibility layer sent to WebGL per frame (draw calls, state uploads, buffer and
texture uploads, state changes). Give the figures with the load average: the machine is shared.
"""
import argparse
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "tests", "web"))
import page_frames  # noqa: E402

SCENE_MOMENTS = [(1, 10), (2, 30), (3, 50), (4, 72), (5, 100)]
COUNTS = ["frames", "draw calls", "state uploads", "buffer uploads", "state changes"]


def counts(page):
    return page.evaluate("[0, 1, 2, 3, 4].map(function (i) { return Module._pageCount(i); })")


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dist", default=os.path.join(root, "dist", "web"))
    parser.add_argument("--size", default="1000x800")
    parser.add_argument("--seconds", type=float, default=8.0)
    options = parser.parse_args()
    width, height = (int(v) for v in options.size.split("x"))
    work = tempfile.mkdtemp(prefix="web-fps-")
    server = browser = None
    try:
        server, port = page_frames.start_server(options.dist)
        browser, socket_url = page_frames.start_browser(os.path.join(work, "profile"), width, height)
        page = page_frames.Page(socket_url)
        page.send("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=1, mobile=False)
        print(f"{'scene':>5} {'fps':>6} " + " ".join(f"{c + '/frame':>20}" for c in COUNTS[1:]))
        for scene, at in SCENE_MOMENTS:
            page.send("Page.navigate", url=f"http://127.0.0.1:{port}/index.html?at={at}&window")
            page.wait_for("document.body && document.body.dataset.show === 'first-frame'", 120)
            page.evaluate("document.getElementById('play').click()")
            page.wait_for("Module._pageCount(0) >= 2", 120)
            before, start = counts(page), time.monotonic()
            time.sleep(options.seconds)
            after, elapsed = counts(page), time.monotonic() - start
            frames = after[0] - before[0]
            per_frame = [(a - b) / frames if frames else 0 for a, b in zip(after[1:], before[1:])]
            print(f"{scene:>5} {frames / elapsed:6.2f} " + " ".join(f"{v:20.1f}" for v in per_frame), flush=True)
    finally:
        for process in (browser, server):
            if process and process.poll() is None:
                process.terminate()
                process.wait()
        shutil.rmtree(work, ignore_errors=True)
    print(f"load average: {' '.join(f'{v:.2f}' for v in os.getloadavg())}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
