#!/usr/bin/env python3
"""Opens a view page in headless Chromium and checks that it works.

The browser is driven through its DevTools protocol over a pipe (file
descriptors 3 and 4 of the browser), so one browser session loads the page,
reads the page's status, takes the screenshot and, when asked, times frames:
no network port, no package beyond Python and Chromium. Rendering is
software GL (SwiftShader), as on a machine without a GPU.

Checks:
  - the page sets its ready flag within the time limit;
  - no script error: uncaught exceptions, console errors and the errors the
    page itself collected;
  - the screenshot is not blank (enough pixels differ from the background);
  - while the view turns, the cheaper drawing keeps the collider's shades
    (within 2 units on at least MOVING_SHADE_SHARE of the pixels it draws;
    edges blur at the lower resolution), and once the view
    rests again the picture is exactly the one before;
  - hovering over the probe point shows its number and values;
  - the page's probe point (the shown point nearest the camera) has, at the
    pixel where the page projects it, the colour the page gave it, within
    COLOUR_TOLERANCE per channel; and that colour is the preview renderer's
    colour for the point (the --expect command prints it), within 1 unit
    (log10 may round differently in C++ and JavaScript).
"""
import argparse
import json
import os
import struct
import subprocess
import sys
import tempfile
import time
import zlib

# Software GL draws a point sprite's centre pixel in its exact colour; the
# tolerance only allows for colour conversion in the screenshot path.
COLOUR_TOLERANCE = 8
BACKGROUND = (22, 24, 30)
MOVING_SHADE_SHARE = 0.9


class Browser:
    def __init__(self, chromium, width, height):
        to_browser_r, self._to_browser = os.pipe()
        self._from_browser, from_browser_w = os.pipe()
        self.profile = tempfile.mkdtemp(prefix="velkor-chromium-")

        def wire_pipes():
            a, b = os.dup(to_browser_r), os.dup(from_browser_w)
            os.dup2(a, 3)
            os.dup2(b, 4)

        args = [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--use-angle=swiftshader",
                "--enable-unsafe-swiftshader", "--disable-background-networking", "--disable-component-update",
                "--disable-sync", "--no-first-run", "--disable-extensions", "--mute-audio",
                "--user-data-dir=" + self.profile, "--remote-debugging-pipe",
                "--window-size=%d,%d" % (width, height), "--force-device-scale-factor=1", "about:blank"]
        self.proc = subprocess.Popen(args, preexec_fn=wire_pipes, close_fds=False, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self._buffer = b""
        self._next_id = 0
        self.events = []

    def _read_message(self, deadline):
        while b"\0" not in self._buffer:
            if time.time() > deadline:
                raise TimeoutError("no answer from the browser")
            chunk = os.read(self._from_browser, 1 << 20)
            if not chunk:
                raise RuntimeError("the browser closed its pipe (exit status %s)" % self.proc.poll())
            self._buffer += chunk
        message, self._buffer = self._buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, params=None, session=None, timeout=120):
        self._next_id += 1
        request = {"id": self._next_id, "method": method, "params": params or {}}
        if session:
            request["sessionId"] = session
        os.write(self._to_browser, json.dumps(request).encode() + b"\0")
        deadline = time.time() + timeout
        while True:
            message = self._read_message(deadline)
            if message.get("id") == self._next_id:
                if "error" in message:
                    raise RuntimeError("%s: %s" % (method, message["error"]))
                return message["result"]
            self.events.append(message)

    def close(self):
        try:
            self.call("Browser.close", timeout=10)
        except Exception:
            pass
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        subprocess.run(["rm", "-rf", self.profile])


def evaluate(browser, session, expression, timeout=120):
    result = browser.call("Runtime.evaluate", {"expression": expression, "returnByValue": True, "awaitPromise": True},
                          session, timeout)
    if "exceptionDetails" in result:
        raise RuntimeError("%s: %s" % (expression, result["exceptionDetails"].get("text")))
    return result["result"].get("value")


def decode_png(data):
    """Pixels of an 8-bit, non-interlaced RGB or RGBA PNG as (width, height, rows of RGB tuples)."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, "unexpected PNG layout"
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else (b if pb <= pc else c))) & 255
        rows.append([tuple(line[x * channels:x * channels + 3]) for x in range(width)])
        previous = line
    return width, height, rows


def screenshot(browser, session, prepare="0"):
    """Pixel rows of the page after running `prepare` and waiting two frames."""
    evaluate(browser, session, "(%s, new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r))))" % prepare)
    shot = __import__("base64").b64decode(browser.call("Page.captureScreenshot", {"format": "png"}, session)["data"])
    return decode_png(shot)[2]


def turn_check(browser, session, rest):
    """Failures of the picture drawn while turning and of the one after it."""
    only_collider = ("L = velkorView.layers, window.shownBefore = window.shownBefore || "
                     "[L.input.visible, L.appended.visible], L.input.visible = L.appended.visible = false, velkorView.setMovingNow(%s), velkorView.render()")
    moving = screenshot(browser, session, only_collider % "true")
    still = screenshot(browser, session, only_collider % "false")
    # Back faces are left out while turning, so only what is drawn counts.
    shaded = [(m, s) for m_row, s_row in zip(moving, still) for m, s in zip(m_row, s_row) if m != BACKGROUND]
    kept = sum(1 for m, s in shaded if max(abs(m[k] - s[k]) for k in range(3)) <= 2)
    failures = []
    if shaded and kept < MOVING_SHADE_SHARE * len(shaded):
        failures.append("while turning, only %d of %d collider pixels keep their shade" % (kept, len(shaded)))
    after = screenshot(browser, session, "L.input.visible = shownBefore[0], L.appended.visible = shownBefore[1], "
                       "velkorView.resetView()")
    changed = sum(1 for a_row, r_row in zip(after, rest) for a, r in zip(a_row, r_row) if a != r)
    if changed or len(after) != len(rest):
        failures.append("after turning, %d pixels differ from the picture before" % changed)
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("page")
    parser.add_argument("--chromium", default="chromium")
    parser.add_argument("--size", default="800x600")
    parser.add_argument("--screenshot", help="keep the screenshot here")
    parser.add_argument("--expect", help="command printing the expected 'r g b' of a point; the point's number is appended")
    parser.add_argument("--frames", type=int, default=0, help="also time this many frames of a turn round the scene")
    parser.add_argument("--timeout", type=float, default=240)
    args = parser.parse_args()
    width, height = (int(v) for v in args.size.split("x"))

    failures = []
    browser = Browser(args.chromium, width, height)
    try:
        target = browser.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = browser.call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        for method in ("Runtime.enable", "Log.enable", "Page.enable"):
            browser.call(method, session=session)
        browser.call("Emulation.setDeviceMetricsOverride",
                     {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": False}, session)
        started = time.time()
        browser.call("Page.navigate", {"url": "file://" + os.path.abspath(args.page)}, session)
        ready = False
        # A script error ends the wait: the page may never become ready.
        while time.time() - started < args.timeout:
            ready, failed = evaluate(browser, session, "[!!(window.velkorStatus && window.velkorStatus.ready), "
                                     "(window.velkorErrors || []).length > 0]")
            if ready or failed:
                break
            time.sleep(0.1)
        load_seconds = time.time() - started
        if not ready:
            failures.append("the page did not become ready within %g s" % args.timeout)
        # Two more frames, so the screenshot shows the finished drawing.
        evaluate(browser, session, "new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)))")
        status = json.loads(evaluate(browser, session, "JSON.stringify(window.velkorStatus || {})"))
        shot = __import__("base64").b64decode(browser.call("Page.captureScreenshot", {"format": "png"}, session)["data"])
        if args.screenshot:
            with open(args.screenshot, "wb") as f:
                f.write(shot)
        failures += turn_check(browser, session, decode_png(shot)[2])
        # Hovering over the probe point brings up its read-out.
        readout = None
        if status.get("probe"):
            probe = status["probe"]
            browser.call("Input.dispatchMouseEvent",
                         {"type": "mouseMoved", "x": probe["x"] + 0.5, "y": probe["y"] + 0.5}, session)
            evaluate(browser, session, "new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)))")
            readout = evaluate(browser, session, "document.getElementById('velkor-pick').textContent")
        frames = evaluate(browser, session, "velkorMeasureFrames(%d)" % args.frames, 600) if args.frames else None
    finally:
        browser.close()

    errors = list(status.get("errors") or [])
    for event in browser.events:
        method, params = event.get("method"), event.get("params", {})
        if method == "Runtime.exceptionThrown":
            errors.append(params["exceptionDetails"].get("text", "exception"))
        elif method == "Runtime.consoleAPICalled" and params.get("type") == "error":
            errors.append("console.error: %s" % params.get("args"))
        elif method == "Log.entryAdded" and params["entry"].get("level") == "error" \
                and params["entry"].get("source") != "network":
            errors.append("log: %s" % params["entry"].get("text"))
    if errors:
        failures.append("script errors: %s" % errors)

    shot_width, shot_height, rows = decode_png(shot)
    lit = sum(1 for row in rows for p in row if max(abs(p[k] - BACKGROUND[k]) for k in range(3)) > 12)
    if lit < shot_width * shot_height // 100:
        failures.append("the screenshot is blank: %d of %d pixels differ from the background"
                        % (lit, shot_width * shot_height))

    probe = status.get("probe")
    if not probe:
        failures.append("the page reported no probe point")
    else:
        x, y, want = probe["x"], probe["y"], tuple(probe["colour"])
        got = rows[y][x] if 0 <= x < shot_width and 0 <= y < shot_height else None
        if got is None or max(abs(got[k] - want[k]) for k in range(3)) > COLOUR_TOLERANCE:
            failures.append("point %d at pixel (%d, %d) shows %s, the page drew it in %s"
                            % (probe["point"], x, y, got, want))
        number = format(probe["point"], ",")
        if not readout or " point %s\n" % number not in readout or "intensity" not in readout:
            failures.append("hovering over point %s shows %r" % (number, readout))
        if args.expect:
            text = subprocess.run(args.expect.split() + [str(probe["point"])], check=True, capture_output=True,
                                  text=True).stdout.split()
            expected = tuple(int(v) for v in text[:3])
            if max(abs(expected[k] - want[k]) for k in range(3)) > 1:
                failures.append("point %d: the page coloured it %s, the preview renderer %s"
                                % (probe["point"], want, expected))

    print("page: %s (%d bytes), ready after %.1f s, probe %s" % (args.page, os.path.getsize(args.page), load_seconds,
                                                                  probe))
    if frames:
        print("frames: %s" % json.dumps(frames))
    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
