#!/usr/bin/env python3
"""Opens an HTML report in headless Chromium through the DevTools protocol
(over a pipe, no network port) and checks it as a reader would see it.

    browser_check.py PAGE.html SCREENSHOT.png [--links N] [--iterations K]
        [--sections id,id,...] [--reference-zones Z] [--verdict-first]
        [--max-seconds S] [--expect-errors]

Fails (exit 1) on any console error, uncaught exception or log error, on any
request for something other than the page itself, when a section is missing,
when a chart has no marks, when the fit chart's points or the GEH chart's
points are not N, when the convergence chart's points are not K, when the
heat map has no colour legend or a bar chart's legend lacks a series, when
the origin and destination charts do not each draw Z reference bars, when
the verdict's GEH share and reference R^2 are not in the first screen of
text (before the fit section), when the zone table does not print whole (in
print media its last rows lie beyond the box around it, or the printed PDF
has fewer pages than the table's height needs), or when
the page takes more than S seconds to load. With --expect-errors it inverts
the verdict on errors only (a control run showing that errors are caught).
Saves a screenshot of the top of the page and prints one line per chart.
"""
import argparse
import base64
import json
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import time

FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--no-first-run",
         "--hide-scrollbars", "--remote-debugging-pipe"]
MARKS = """JSON.stringify({
  sections: [...document.querySelectorAll('section')].map(s => s.id),
  verdict: (document.querySelector('#verdict') || {innerText: ''}).innerText,
  verdictBottom: (document.querySelector('#verdict') || {getBoundingClientRect: () => ({bottom: 1e9})})
    .getBoundingClientRect().bottom,
  charts: [...document.querySelectorAll('svg[data-chart]')].map(c => ({
    name: c.dataset.chart, marks: c.querySelectorAll('.mark').length,
    keys: c.querySelectorAll('.key').length,
    series: new Set([...c.querySelectorAll('.mark[data-series]')].map(m => m.dataset.series)).size,
    reference: c.querySelectorAll('.mark[data-series="reference"]').length,
    width: c.getBoundingClientRect().width}))})"""
# The zone table as printed (print media): its height in CSS pixels, and
# whether its last row lies beyond the bottom of the box around it (a scroll
# box that print would cut off, as a page that prints 14 of its rows).
PRINTED_TABLE = """(() => { const t = document.querySelector('table.zones');
  if (!t) return {height: 0, hidden: false};
  const box = (t.closest('.scroll') || t).getBoundingClientRect();
  const last = t.rows[t.rows.length - 1].getBoundingClientRect();
  return {height: t.getBoundingClientRect().height, hidden: last.bottom > box.bottom + 1}; })()"""
SCREEN_HEIGHT = 1500  # the window's height (the screenshot)
FIRST_SCREEN = 900  # what a laptop shows before any scrolling, CSS pixels
PAGE_HEIGHT = (11 - 2 * 0.4) * 96  # a printed Letter page less its margins, CSS pixels


def place_pipe_ends(reading, writing):
    """In the child: the browser reads fd 3 and writes fd 4 (via high fds first,
    so that neither move overwrites the other end)."""
    high_reading, high_writing = os.dup2(reading, 100), os.dup2(writing, 101)
    os.dup2(high_reading, 3)
    os.dup2(high_writing, 4)
    os.close(100)
    os.close(101)


class Browser:
    """One Chromium process; messages are NUL-terminated JSON on fds 3/4."""

    def __init__(self, profile):
        to_browser_r, self.to_browser = os.pipe()
        self.from_browser, from_browser_w = os.pipe()
        self.process = subprocess.Popen(
            ["chromium", *FLAGS, "--user-data-dir=" + profile],
            close_fds=False, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, preexec_fn=lambda: place_pipe_ends(to_browser_r, from_browser_w))
        os.close(to_browser_r)
        os.close(from_browser_w)
        self.buffer = b""
        self.next_id = 0
        self.events = []

    def send(self, method, params=None, session=None):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        return self.wait(lambda m: m.get("id") == self.next_id)

    def read(self):
        while b"\0" not in self.buffer:
            chunk = os.read(self.from_browser, 1 << 20)
            if not chunk:
                raise RuntimeError("the browser closed its pipe")
            self.buffer += chunk
        raw, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(raw)

    def wait(self, matches, seconds=60):
        deadline = time.time() + seconds
        while time.time() < deadline:
            message = self.read()
            if "method" in message:
                self.events.append(message)
            if matches(message):
                if "error" in message:
                    raise RuntimeError(message["error"])
                return message
        raise RuntimeError("timed out")

    def wait_event(self, method, since):
        """The first event `method` among those after the first `since`."""
        for event in self.events[since:]:
            if event["method"] == method:
                return event
        return self.wait(lambda m: m.get("method") == method)

    def close(self):
        try:
            self.send("Browser.close")
        except RuntimeError:
            pass
        self.process.wait(timeout=30)


def errors_of(events, page_url):
    errors = []
    for event in events:
        method, params = event["method"], event.get("params", {})
        if method == "Runtime.consoleAPICalled" and params.get("type") in ("error", "assert"):
            errors.append("console error: " + json.dumps(params.get("args"))[:200])
        elif method == "Runtime.exceptionThrown":
            errors.append("exception: " + json.dumps(params.get("exceptionDetails"))[:200])
        elif method == "Log.entryAdded" and params["entry"].get("level") == "error":
            errors.append("log error: " + params["entry"].get("text", "")[:200])
        elif method == "Network.requestWillBeSent" and params["request"]["url"] != page_url:
            errors.append("request: " + params["request"]["url"][:200])
    return errors


def open_page(page, screenshot):
    """Loads the page; returns (seconds to load, the marks, the errors)."""
    url = pathlib.Path(page).resolve().as_uri()
    with tempfile.TemporaryDirectory() as profile:
        browser = Browser(profile)
        try:
            target = browser.send("Target.createTarget", {"url": "about:blank"})
            attached = browser.send("Target.attachToTarget", {
                "targetId": target["result"]["targetId"], "flatten": True})
            session = attached["result"]["sessionId"]
            for domain in ("Page", "Runtime", "Log", "Network"):
                browser.send(domain + ".enable", session=session)
            browser.send("Emulation.setDeviceMetricsOverride", {
                "width": 1100, "height": SCREEN_HEIGHT, "deviceScaleFactor": 1, "mobile": False},
                session=session)
            start, since = time.time(), len(browser.events)
            browser.send("Page.navigate", {"url": url}, session=session)
            browser.wait_event("Page.loadEventFired", since)
            result = browser.send("Runtime.evaluate", {"expression": MARKS,
                                                       "returnByValue": True}, session=session)
            seconds = time.time() - start
            shot = browser.send("Page.captureScreenshot", {"format": "png"}, session=session)
            pathlib.Path(screenshot).write_bytes(base64.b64decode(shot["result"]["data"]))
            marks = json.loads(result["result"]["result"]["value"])
            marks["printed"] = printed(browser, session)
            return seconds, marks, errors_of(browser.events, url)
        finally:
            browser.close()


def printed(browser, session):
    """The zone table's printed height and the pages of the printed PDF."""
    browser.send("Emulation.setEmulatedMedia", {"media": "print"}, session=session)
    table = browser.send("Runtime.evaluate", {"expression": PRINTED_TABLE, "returnByValue": True},
                         session=session)["result"]["result"]["value"]
    pdf = base64.b64decode(browser.send("Page.printToPDF", {}, session=session)["result"]["data"])
    pages = len(re.findall(rb"/Type\s*/Page\b(?!s)", pdf))
    return {"table_height": table["height"], "table_hidden": table["hidden"], "pages": pages}


def problems_of(marks, args):
    problems = []
    for section in filter(None, args.sections.split(",")):
        if section not in marks["sections"]:
            problems.append("section missing: " + section)
    counts = {chart["name"]: chart["marks"] for chart in marks["charts"]}
    for chart in marks["charts"]:
        if chart["marks"] == 0 or chart["width"] <= 0:
            problems.append("chart %s has no marks or no size" % chart["name"])
    if args.links is not None and counts.get("fit") != args.links:
        problems.append("fit chart: %s points, %d links" % (counts.get("fit"), args.links))
    if args.links is not None and counts.get("geh") != args.links:
        problems.append("GEH chart: %s points, %d links" % (counts.get("geh"), args.links))
    if args.iterations is not None and counts.get("convergence") != args.iterations:
        problems.append("convergence chart: %s points, %d iterations" %
                        (counts.get("convergence"), args.iterations))
    for chart in marks["charts"]:
        if chart["name"] == "heatmap" and chart["keys"] < 2:
            problems.append("heat map: %d legend keys" % chart["keys"])
        if chart["series"] > 1 and chart["keys"] != chart["series"]:
            problems.append("chart %s: %d series, %d legend keys" %
                            (chart["name"], chart["series"], chart["keys"]))
    if args.reference_zones is not None:
        for name in ("origins", "destinations"):
            drawn = next((c["reference"] for c in marks["charts"] if c["name"] == name), None)
            if drawn != args.reference_zones:
                problems.append("chart %s: %s reference bars, %d zones" %
                                (name, drawn, args.reference_zones))
    if args.verdict_first:
        words = ["within GEH 5"] + (["cells R²"] if args.reference_zones is not None else [])
        for word in words:
            if word not in marks["verdict"]:
                problems.append("verdict: no '%s'" % word)
        sections = marks["sections"]
        if marks["verdictBottom"] > FIRST_SCREEN or "verdict" not in sections or \
                "fit" not in sections or sections.index("verdict") > sections.index("fit"):
            problems.append("verdict not in the first screen, before the fit")
    if marks["printed"]["table_hidden"]:
        problems.append("printed: the zone table's last rows are cut off by its box")
    needed = int(marks["printed"]["table_height"] // PAGE_HEIGHT)
    if marks["printed"]["pages"] < needed:
        problems.append("printed: %d pages, the zone table alone needs %d" %
                        (marks["printed"]["pages"], needed))
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("page")
    parser.add_argument("screenshot")
    parser.add_argument("--links", type=int)
    parser.add_argument("--iterations", type=int)
    parser.add_argument("--sections", default="")
    parser.add_argument("--reference-zones", type=int)
    parser.add_argument("--verdict-first", action="store_true")
    parser.add_argument("--max-seconds", type=float, default=10.0)
    parser.add_argument("--expect-errors", action="store_true")
    args = parser.parse_args()
    seconds, marks, errors = open_page(args.page, args.screenshot)
    size = os.path.getsize(args.page)
    print("%s: %d bytes, loaded and measured in %.2f s" % (args.page, size, seconds))
    for chart in marks["charts"]:
        print("  chart %-12s %6d marks, %d legend keys, %d reference marks" %
              (chart["name"], chart["marks"], chart["keys"], chart["reference"]))
    print("  printed: %d pages, zone table %.0f px" % (marks["printed"]["pages"],
                                                      marks["printed"]["table_height"]))
    for error in errors:
        print("  " + error)
    if args.expect_errors:
        return 0 if errors else 1
    problems = problems_of(marks, args) + errors
    if seconds > args.max_seconds:
        problems.append("took %.2f s, more than %.1f s" % (seconds, args.max_seconds))
    for problem in problems:
        print("FAIL: " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
