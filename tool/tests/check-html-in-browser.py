#!/usr/bin/env python3
"""Opens an HTML report in headless Chromium and checks what the browser made of it: the
document it built (its DOM) holds the same rows, in the order failed, error, passed, as the
file; the run's facts; the picture; no script. A screenshot then shows the counts' picture
in its three colours. The page's own Content-Security-Policy forbids every script, so the
browser shows what a browser with scripting off shows. Writes "ok" or what differs, one line
each, to the result file.
  check-html-in-browser.py <report.html> <screenshot.png> <result>"""
import os
import pathlib
import struct
import subprocess
import sys
import tempfile
import zlib

sys.dont_write_bytecode = True  # nothing written beside the sources
from report_page import STATUSES, ReportPage

report_path, screenshot_path, result_path = sys.argv[1:4]
problems = []
COLOURS = dict(zip(STATUSES, [(0x2E, 0x7D, 0x32), (0xC6, 0x28, 0x28), (0xEF, 0x6C, 0x00)]))


def expect(what, actual, expected):
    if actual != expected:
        problems.append(f"{what}: {actual!r}, expected {expected!r}")


def chromium(*arguments):
    with tempfile.TemporaryDirectory() as profile:
        return subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                               f"--user-data-dir={profile}", *arguments, pathlib.Path(report_path).resolve().as_uri()],
                              capture_output=True, timeout=60)


def pixels(png):
    """The RGB(A) rows of an 8-bit, non-interlaced PNG, unfiltered."""
    width, height, depth, kind, _, _, interlace = struct.unpack(">IIBBBBB", png[16:29])
    if depth != 8 or kind not in (2, 6) or interlace:
        raise ValueError(f"a PNG of a kind this check does not read (depth {depth}, colour type {kind})")
    size = 3 if kind == 2 else 4
    data, at = b"", 8
    while at < len(png):
        length, chunk = struct.unpack(">I4s", png[at:at + 8])
        if chunk == b"IDAT":
            data += png[at + 8:at + 8 + length]
        at += 12 + length
    raw, stride, rows, previous = zlib.decompress(data), width * size, [], bytearray(width * size)
    for y in range(height):
        kind_of_filter, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - size] if x >= size else 0
            b = previous[x]
            c = previous[x - size] if x >= size else 0
            if kind_of_filter == 1:
                line[x] = (line[x] + a) & 0xFF
            elif kind_of_filter == 2:
                line[x] = (line[x] + b) & 0xFF
            elif kind_of_filter == 3:
                line[x] = (line[x] + (a + b) // 2) & 0xFF
            elif kind_of_filter == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append(bytes(line))
        previous = line
    return rows, size


try:
    source = ReportPage(open(report_path, encoding="utf-8").read())
    dumped = chromium("--dump-dom")
    expect("Chromium's exit status (--dump-dom)", dumped.returncode, 0)
    dom = ReportPage(dumped.stdout.decode("utf-8"))
    expect("rows as the browser has them", dom.rows, source.rows)
    rank = {"failed": 0, "error": 1, "passed": 2}
    statuses = [row[0] for row in dom.rows]
    expect("rows in the order failed, error, passed", statuses, sorted(statuses, key=rank.get))
    expect("facts", sorted(dom.facts), sorted(["Host", "Document", "URL", "Agent version", "Started (UTC)",
                                               "Started (local)", "Ended (UTC)", "Ended (local)", "Duration",
                                               "Exit status"]))
    expect("a verdict first", dom.verdict.split(":")[0] in ("Compliant", "Not compliant", "Compliant where evaluated"),
           True)
    expect("scripts", [t for t, _ in dom.tags if t == "script"], [])
    expect("pictures", sum(1 for t, _ in dom.tags if t == "svg"), 1)
    policy = [a.get("content", "") for t, a in dom.tags if t == "meta" and a.get("http-equiv") == "Content-Security-Policy"]
    expect("the page forbids scripts and everything from elsewhere", [p.startswith("default-src 'none'") for p in policy],
           [True])

    shot = chromium("--window-size=1100,800", f"--screenshot={os.path.abspath(screenshot_path)}")
    expect("Chromium's exit status (--screenshot)", shot.returncode, 0)
    rows, size = pixels(open(screenshot_path, "rb").read())
    seen = {name: 0 for name in COLOURS}
    for line in rows:
        for x in range(0, len(line), size):
            for name, colour in COLOURS.items():
                if tuple(line[x:x + 3]) == colour:
                    seen[name] += 1
    for name in COLOURS:
        shown = any(row[0] == name for row in dom.rows)
        expect(f"the picture's {name} part on screen", seen[name] > 400, shown)
except Exception as e:  # the result says so rather than the check dying silently
    problems.append(f"{type(e).__name__}: {e}")

with open(result_path + ".part", "w", encoding="utf-8") as out:
    out.write("ok\n" if not problems else "".join(p + "\n" for p in problems))
os.replace(result_path + ".part", result_path)
