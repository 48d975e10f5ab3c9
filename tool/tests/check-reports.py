#!/usr/bin/env python3
"""Reads the report files of one run with parsers of their own (Python's JSON, HTML and CSV
parsers, libxml2's schema validator for JUnit, a small parser of the Prometheus text format)
and compares them field by field with the items of the JSON document. Writes "ok" or what
differs, one line each, to the result file.
  check-reports.py <run.json> <junit.xml> <report.html> <report.csv> <metrics.prom> <junit.xsd> <result>"""
import csv
import json
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

sys.dont_write_bytecode = True  # nothing written beside the sources
from report_page import ReportPage

json_path, junit_path, html_path, csv_path, prom_path, xsd_path, result_path = sys.argv[1:8]
problems = []


def expect(what, actual, expected):
    if actual != expected:
        problems.append(f"{what}: {actual!r}, expected {expected!r}")


try:
    run = json.load(open(json_path, encoding="utf-8"))
    items = run["items"]
    by_status = {s: [i for i in items if i["status"] == s] for s in ("passed", "failed", "error")}

    summary = run["summary"]
    expect("JSON summary (total, passed, failed, errors)",
           [summary["total"], summary["passed"], summary["failed"], summary["errors"]],
           [len(items), len(by_status["passed"]), len(by_status["failed"]), len(by_status["error"])])

    validated = subprocess.run(["xmllint", "--noout", "--schema", xsd_path, junit_path], capture_output=True, text=True)
    expect("JUnit against the schema", validated.returncode, 0)
    if validated.returncode:
        problems.append(validated.stderr.strip())
    suites = ET.parse(junit_path).getroot()
    suite = suites.find("testsuite")
    cases = suite.findall("testcase")
    expect("JUnit test cases", [c.get("name") for c in cases], [i["designator"] for i in items])
    expect("JUnit class names", {c.get("classname") for c in cases}, {run["host"] + "." + run["document"]})
    expect("JUnit host", suite.get("hostname"), run["host"])
    expect("JUnit time stamp", suite.get("timestamp"), run["started"][:19] + "Z")
    properties = {p.get("name"): p.get("value") for p in suite.find("properties")}
    expect("JUnit properties", [properties.get(k) for k in ("agentVersion", "url", "document", "flags", "exitStatus")],
           [run["agent"]["version"] or "", run["url"], run["document"], str(run["flags"]), str(run["outcome"]["status"])])
    expect("JUnit tests", suite.get("tests"), str(len(items)))
    expect("JUnit failures", suite.get("failures"), str(len(by_status["failed"])))
    expect("JUnit errors", suite.get("errors"), str(len(by_status["error"])))
    for case, item in zip(cases, items):
        kind = {"passed": None, "failed": "failure", "error": "error"}[item["status"]]
        children = [child.tag for child in case]
        expect(f"JUnit {item['designator']}", children, ([kind] if kind else []) + ["system-out"])
        expect(f"JUnit {item['designator']} output", case.find("system-out").text,
               f"Description: {item['description']}\nComment: {item['comment']}")
        if kind:
            expect(f"JUnit {item['designator']} message", case.find(kind).get("message"),
                   item["comment"] or item["result"])

    page = ReportPage(open(html_path, encoding="utf-8").read())
    expect("HTML scripts", [t for t, _ in page.tags if t == "script"], [])
    external = [a for _, a in page.tags for k in ("src", "href") if k in a]
    expect("HTML references to elsewhere", external, [])
    expect("HTML picture", sum(1 for t, _ in page.tags if t == "svg"), 1)
    expected_rows = [[i["status"], i["designator"], i["result"]]
                     for s in ("failed", "error", "passed") for i in by_status[s]]
    expect("HTML rows (failed, error, passed)", page.rows, expected_rows)
    expect("HTML outcome", page.outcome, run["outcome"]["message"])
    summary, status = run["summary"], run["outcome"]["status"]
    verdicts = {0: "Compliant",
                1: f"Not compliant: {summary['failed']} of {summary['total']} checks failed",
                15: f"Compliant where evaluated: {summary['errors']} of {summary['total']} checks could not be evaluated"}
    expect("HTML verdict", page.verdict, verdicts.get(status, page.verdict))
    expect("HTML times in local time too", all(k in page.facts for k in ("Started (local)", "Ended (local)")), True)
    expect("HTML passed items folded", [a.get("id") for t, a in page.tags if t == "details"],
           ["passed-items"] if by_status["passed"] else [])

    # CSV as a spreadsheet reads it: UTF-8 after its byte-order mark, a header, a row per item.
    raw = open(csv_path, "rb").read()
    expect("CSV byte-order mark", raw[:3], b"\xef\xbb\xbf")
    rows = list(csv.reader(open(csv_path, encoding="utf-8-sig", newline="")))
    fields = ["designator", "result", "resultType", "evaluationTime", "description", "comment", "status"]
    expect("CSV header", rows[0], fields + ["problem"])
    expect("CSV rows", [r[:7] for r in rows[1:]], [[i[f] for f in fields] for i in items])

    # The Prometheus text format: "# HELP"/"# TYPE" lines, then name{labels} value.
    samples = {}
    line_form = re.compile(r'^([a-zA-Z_:][a-zA-Z0-9_:]*)\{((?:[a-zA-Z_][a-zA-Z0-9_]*="(?:[^"\\\n]|\\.)*",?)*)\} (\S+)$')
    for line in open(prom_path, encoding="utf-8").read().splitlines():
        if line.startswith("# HELP ") or line.startswith("# TYPE "):
            continue
        m = line_form.match(line)
        if not m:
            problems.append(f"Prometheus line not understood: {line!r}")
            continue
        labels = dict(re.findall(r'([a-zA-Z_][a-zA-Z0-9_]*)="((?:[^"\\]|\\.)*)"', m.group(2)))
        expect(f"Prometheus {m.group(1)} document", labels.get("document"), run["document"])
        samples[(m.group(1), labels.get("status"))] = float(m.group(3))
    expect("Prometheus items", [samples.get(("verimark_items", s)) for s in ("passed", "failed", "error")],
           [float(run["summary"][k]) for k in ("passed", "failed", "errors")])
    expect("Prometheus exit status", samples.get(("verimark_exit_status", None)), float(run["outcome"]["status"]))
    expect("Prometheus compliant", samples.get(("verimark_compliant", None)), 1.0 if run["outcome"]["status"] == 0 else 0.0)
    expect("Prometheus duration", samples.get(("verimark_last_run_duration_seconds", None)), round(run["durationSeconds"], 3))
    end = samples.get(("verimark_last_run_end_timestamp_seconds", None)) or 0
    from datetime import datetime, timezone
    ended = datetime.strptime(run["ended"], "%Y-%m-%dT%H:%M:%S.%fZ").replace(tzinfo=timezone.utc).timestamp()
    expect("Prometheus end time", abs(end - ended) < 0.002, True)
except Exception as e:  # the result says so rather than the check dying silently
    problems.append(f"{type(e).__name__}: {e}")

with open(result_path + ".part", "w", encoding="utf-8") as out:
    out.write("ok\n" if not problems else "".join(p + "\n" for p in problems))
import os
os.replace(result_path + ".part", result_path)
