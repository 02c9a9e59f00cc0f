#!/usr/bin/python3
"""The page's start and the viewer's keys, in the system's chromium (headless, software WebGL).

Opens dist/web/ at ?at=30, checks the Play button over the first frame and that Play starts the
show in full screen (without ?window), then runs a table of keys, each from a fresh page started at a moment: Space holds the
picture (two canvases 1 s apart identical, the show time and the sound's position held), Right
lands 10 s on, Home goes back to 0 s, f enters and leaves full screen in a ?window page, q ends
the show with the Replay button. The page must
raise no console error. Exits 1 on any failure, naming it.
"""
import base64
import hashlib
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import page_frames  # noqa: E402

KEYS = {
    "Space": dict(key=" ", code="Space", text=" ", windowsVirtualKeyCode=32),
    "ArrowRight": dict(key="ArrowRight", code="ArrowRight", windowsVirtualKeyCode=39),
    "Home": dict(key="Home", code="Home", windowsVirtualKeyCode=36),
    "q": dict(key="q", code="KeyQ", text="q", windowsVirtualKeyCode=81),
    "f": dict(key="f", code="KeyF", text="f", windowsVirtualKeyCode=70),
}


def press(page, name):
    page.send("Input.dispatchKeyEvent", type="keyDown", **KEYS[name])
    page.send("Input.dispatchKeyEvent", type="keyUp", **{k: v for k, v in KEYS[name].items() if k != "text"})


def canvas_digest(page):
    data = page.evaluate("document.getElementById('canvas').toDataURL('image/png')")
    return hashlib.sha256(base64.b64decode(data.split(",", 1)[1])).hexdigest()


def show_time(page):
    return page.evaluate("Module._showTime()")


def started(page, port, at, options=""):
    page.send("Page.navigate", url=f"http://127.0.0.1:{port}/index.html?at={at}{options}")
    state = page.wait_for("document.body && document.body.dataset.show", 120)
    if state != "first-frame":
        return f"the page opened as {state!r}"
    if page.evaluate("document.getElementById('play').hidden"):
        return "no Play button over the first frame"
    # The click as the viewer's: the page may then start the sound and full screen.
    page.send("Runtime.evaluate", expression="document.getElementById('play').click()", userGesture=True)
    if page.evaluate("document.body.dataset.show") != "playing":
        return "Play did not start the show"
    wanted = "null" if "window" in options else "document.documentElement"
    if not page.evaluate(f"document.fullscreenElement === {wanted}"):
        return "Play left full screen as it was" if "window" in options else "Play did not ask for full screen"
    # The first frames of a software renderer are slow: wait until the clock has moved.
    page.wait_for(f"Module._showTime() > {at * 1000 + 500}", 120)
    return None


def check_pause(page):
    press(page, "Space")
    time.sleep(1.5)  # the frame drawn as the key arrived has landed
    first, t1 = canvas_digest(page), show_time(page)
    sound1 = page.evaluate("Module.showAudio ? Module.showAudio.position() : null")
    time.sleep(1.0)
    second, t2 = canvas_digest(page), show_time(page)
    sound2 = page.evaluate("Module.showAudio ? Module.showAudio.position() : null")
    if first != second or t1 != t2:
        return f"paused, the picture or the clock moved ({t1} ms, then {t2} ms)"
    if sound1 is not None and (sound1 != sound2 or abs(sound1 * 1000 - t1) > 50):
        return f"paused at {t1} ms, the sound at {sound1} s then {sound2} s"
    return None


def check_right(page):
    before = show_time(page)
    press(page, "ArrowRight")
    page.wait_for(f"Module._showTime() >= {before + 10000}", 60)
    after = show_time(page)
    # 10 s on, plus the real time the check itself took (generous: software rendering is slow)
    if not before + 10000 <= after <= before + 10000 + 15000:
        return f"Right went from {before} ms to {after} ms"
    return None


def check_home(page):
    press(page, "Home")
    page.wait_for("Module._showTime() < 15000", 60)
    return None


def check_full_screen(page):
    press(page, "f")
    page.wait_for("document.fullscreenElement !== null", 30)
    press(page, "f")
    page.wait_for("document.fullscreenElement === null", 30)
    return None


def check_quit(page):
    press(page, "q")
    page.wait_for("document.body.dataset.show === 'ended'", 60)
    if page.evaluate("document.getElementById('replay').hidden"):
        return "q ended the show without the Replay button"
    return None


CASES = [
    # (name, the moment the page starts at, the address's other options, the check)
    ("Space holds the picture, the clock and the sound", 30, "", check_pause),
    ("Right lands 10 s on", 30, "", check_right),
    ("Home goes back to 0 s", 50, "", check_home),
    ("?window, then f enters full screen and leaves it", 30, "&window", check_full_screen),
    ("q ends the show with the Replay button", 30, "", check_quit),
]


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    work = tempfile.mkdtemp(prefix="page-controls-")
    server = browser = None
    failures = []
    try:
        server, port = page_frames.start_server(os.path.join(root, "dist", "web"))
        browser, socket_url = page_frames.start_browser(os.path.join(work, "profile"), 640, 360)
        page = page_frames.Page(socket_url)
        page.send("Emulation.setDeviceMetricsOverride", width=640, height=360, deviceScaleFactor=1, mobile=False)
        for name, at, extra, check in CASES:
            try:
                problem = started(page, port, at, extra) or check(page)
            except TimeoutError as waited:
                problem = f"waited in vain for {waited}"
            print(f"{'FAIL' if problem else 'ok  '} {name}{': ' + problem if problem else ''}", flush=True)
            if problem:
                failures.append(name)
        for error in page.errors:
            print(f"console error: {error}")
            failures.append("console")
    finally:
        for process in (browser, server):
            if process and process.poll() is None:
                process.terminate()
                process.wait()
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
