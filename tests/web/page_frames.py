#!/usr/bin/python3
"""The page's still frames against showcap's.

Serves dist/web/ on 127.0.0.1, opens it in the system's chromium (headless, software WebGL)
through the DevTools protocol at ?at=SECONDS&still for each moment, reads the canvas, renders
showcap's frame at the same moment and size, and prints the PSNR of the whole frame and of its
worst region (a 4 x 4 grid), with any console error the page raised. Exits 1 when a moment is
below --min-db, the average below --mean-db, a region below --region-db, or the page logged an
error; the side-by-side pictures go to --keep when given, and --sheet tiles them all (the page's
on the left, showcap's on the right, each a quarter of the size) into one picture.
"""
import argparse
import base64
import io
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

import numpy
import websocket
from PIL import Image

# Two moments a scene: the glow ring, the sphere and cube waves, the moons and the light ring's
# tail, the spirals and the stippled path, the ripple surface's reflection and the closing ring.
DEFAULT_MOMENTS = [6, 16, 28, 35, 47, 56, 70, 78, 101, 110]


class Page:
    """One browser tab, driven over the DevTools protocol."""

    def __init__(self, socket_url):
        self.ws = websocket.create_connection(socket_url, timeout=600, suppress_origin=True)
        self.next_id = 0
        self.errors = []
        self.dialogs = []
        self.send("Runtime.enable")
        self.send("Page.enable")
        self.send("Log.enable")

    def note(self, message):
        method = message.get("method")
        params = message.get("params", {})
        if method == "Runtime.exceptionThrown":
            self.errors.append(params["exceptionDetails"].get("text", "") + " " +
                               json.dumps(params["exceptionDetails"].get("exception", {}).get("description", "")))
        elif method == "Runtime.consoleAPICalled" and params.get("type") == "error":
            self.errors.append(" ".join(str(a.get("value", a.get("description", ""))) for a in params["args"]))
        elif method == "Log.entryAdded" and params["entry"].get("level") == "error":
            self.errors.append(params["entry"].get("text", ""))
        elif method == "Page.javascriptDialogOpening":
            self.dialogs.append(params.get("message", ""))

    def send(self, method, **params):
        self.next_id += 1
        wanted = self.next_id
        self.ws.send(json.dumps({"id": wanted, "method": method, "params": params}))
        while True:
            message = json.loads(self.ws.recv())
            if message.get("id") == wanted:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message.get("result", {})
            self.note(message)

    def evaluate(self, expression):
        result = self.send("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            value = self.evaluate(expression)
            if value:
                return value
            time.sleep(0.2)
        raise TimeoutError(expression)


def start_server(folder):
    server = subprocess.Popen([sys.executable, "-u", "-m", "http.server", "--bind", "127.0.0.1", "-d", folder, "0"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    line = server.stdout.readline()
    port = re.search(r"port (\d+)", line)
    if not port:
        server.kill()
        raise RuntimeError(f"http.server said: {line!r}")
    return server, int(port.group(1))


def start_browser(profile, width, height):
    args = ["/usr/bin/chromium", "--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
            "--remote-debugging-port=0", f"--user-data-dir={profile}", f"--window-size={width},{height}",
            "--no-first-run", "--no-default-browser-check", "--autoplay-policy=no-user-gesture-required",
            "about:blank"]
    if os.geteuid() == 0:
        args.insert(1, "--no-sandbox")
    browser = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        line = browser.stderr.readline()
        found = re.search(r"DevTools listening on (ws://[^\s]+)", line)
        if found:
            port = re.search(r":(\d+)/", found.group(1)).group(1)
            targets = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list"))
            page = next(t for t in targets if t["type"] == "page")
            return browser, page["webSocketDebuggerUrl"]
        if browser.poll() is not None:
            break
    browser.kill()
    raise RuntimeError("chromium gave no DevTools address")


def psnr(a, b):
    mse = numpy.mean((a.astype(numpy.float64) - b.astype(numpy.float64)) ** 2)
    return float("inf") if mse == 0 else 10 * numpy.log10(255.0 ** 2 / mse)


def worst_region(a, b, grid=4):
    h, w = a.shape[:2]
    worst = (float("inf"), 0, 0)
    for row in range(grid):
        for col in range(grid):
            ys = slice(row * h // grid, (row + 1) * h // grid)
            xs = slice(col * w // grid, (col + 1) * w // grid)
            worst = min(worst, (psnr(a[ys, xs], b[ys, xs]), row, col))
    return worst


def write_sheet(path, pairs):
    """Each moment a row: the page's frame and showcap's, side by side, at a quarter of the size."""
    rows = []
    for moment, ours, theirs in pairs:
        pair = Image.fromarray(numpy.concatenate([ours, theirs], axis=1))
        rows.append(numpy.asarray(pair.resize((pair.width // 4, pair.height // 4), Image.BILINEAR)))
    sheet = numpy.concatenate(rows, axis=0)
    Image.fromarray(sheet).save(path, optimize=True)


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dist", default=os.path.join(root, "dist", "web"))
    parser.add_argument("--showcap", default=os.path.join(root, "build", "showcap"))
    parser.add_argument("--size", default="1280x720")
    parser.add_argument("--moments", default=",".join(str(m) for m in DEFAULT_MOMENTS))
    parser.add_argument("--min-db", type=float, default=30.0)
    parser.add_argument("--mean-db", type=float, default=35.0)
    parser.add_argument("--region-db", type=float, default=20.0)
    parser.add_argument("--keep", help="a folder for the page's, showcap's and side-by-side pictures")
    parser.add_argument("--sheet", help="a PNG file for the contact sheet of every moment")
    options = parser.parse_args()
    width, height = (int(v) for v in options.size.split("x"))
    moments = [m for m in options.moments.split(",") if m]

    work = tempfile.mkdtemp(prefix="page-frames-")
    server = browser = None
    failed = False
    try:
        server, port = start_server(options.dist)
        browser, socket_url = start_browser(os.path.join(work, "profile"), width, height)
        page = Page(socket_url)
        page.send("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=1, mobile=False)
        print(f"{'moment':>8} {'PSNR dB':>8} {'worst region dB':>16}  {'page s':>7}")
        scores = []
        pairs = []
        for moment in moments:
            started = time.monotonic()
            page.send("Page.navigate", url=f"http://127.0.0.1:{port}/index.html?at={moment}&still")
            state = page.wait_for("document.body && document.body.dataset.show", 900)
            if state != "still":
                print(f"{moment:>8} the page says {state!r}")
                failed = True
                continue
            page_seconds = time.monotonic() - started
            data = page.evaluate("document.getElementById('canvas').toDataURL('image/png')")
            ours = numpy.asarray(Image.open(io.BytesIO(base64.b64decode(data.split(",", 1)[1]))).convert("RGB"))
            reference_file = os.path.join(work, f"showcap-{moment}.png")
            subprocess.run([options.showcap, "frame", reference_file, "--at", moment, "--size", options.size],
                           check=True, stdout=subprocess.DEVNULL)
            theirs = numpy.asarray(Image.open(reference_file).convert("RGB"))
            if ours.shape != theirs.shape:
                print(f"{moment:>8} the canvas is {ours.shape[1]}x{ours.shape[0]}, showcap's {options.size}")
                failed = True
                continue
            whole = psnr(ours, theirs)
            region, row, col = worst_region(ours, theirs)
            scores.append(whole)
            print(f"{moment:>8} {whole:8.2f} {region:10.2f} ({row},{col})  {page_seconds:7.1f}", flush=True)
            if whole < options.min_db or region < options.region_db:
                failed = True
            pairs.append((moment, ours, theirs))
            if options.keep:
                os.makedirs(options.keep, exist_ok=True)
                Image.fromarray(numpy.concatenate([ours, theirs], axis=1)).save(
                    os.path.join(options.keep, f"side-by-side-{moment}.png"))
        if options.sheet and pairs:
            write_sheet(options.sheet, pairs)
        if scores:
            mean = sum(min(s, 99.0) for s in scores) / len(scores)
            print(f"{'mean':>8} {mean:8.2f}")
            failed = failed or mean < options.mean_db
        for error in page.errors:
            print(f"console error: {error}")
        failed = failed or bool(page.errors)
    finally:
        for process in (browser, server):
            if process and process.poll() is None:
                process.terminate()
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
