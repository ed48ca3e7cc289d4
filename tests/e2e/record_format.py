#!/usr/bin/env python3
"""The analysis record as a user's own tools read it: a standard JSON parser
takes it, it has every field the README documents with the documented types,
its numbers read back to the doubles the report and the samples CSV show,
and a run that an error ended still writes a whole record.

    record_format.py COASTDOWN COASTDOWN_SIM README
"""

import csv
import json
import os
import re
import subprocess
import sys
import tempfile

coastdown, simulator, readme = sys.argv[1:4]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def documented_fields():
    """The record's fields as the README's table names them: the first
    column's `name` and `name.sub` entries."""
    text = open(readme, encoding="utf-8").read()
    table = text[text.index("## The analysis record"):text.index("`--samples FILE` writes")]
    fields = set()
    for row in table.splitlines():
        if row.startswith("| `"):
            for name in re.findall(r"`([a-z_0-9.\[\]]+)`", row.split("|")[1]):
                fields.add(name)
    return fields


def keys(node, path=""):
    """Every key of the record with the path to it."""
    if isinstance(node, dict):
        for key, value in node.items():
            yield key, path + "." + key
            yield from keys(value, path + "." + key)
    elif isinstance(node, list):
        for value in node[:1]:
            yield from keys(value, path + "[]")


def lookup(record, dotted):
    node = record
    for part in dotted.replace("[]", "").split("."):
        if isinstance(node, list):
            node = node[0] if node else {}
        if part not in node:
            return False
        node = node[part]
    return True


def analyse(folder, arguments, *options):
    out = os.path.join(folder, "record.json")
    samples = os.path.join(folder, "samples.csv")
    run = subprocess.run([coastdown, "--quiet", "--json", out, "--samples", samples, *options, arguments],
                         capture_output=True)
    with open(out, encoding="utf-8") as f:
        return run.returncode, json.load(f), open(out, encoding="utf-8").read(), samples


with tempfile.TemporaryDirectory() as scratch:
    test = os.path.join(scratch, "t")
    subprocess.run([simulator, "--out", test, "--seed", "4", "--cal-runs", "4"], check=True, capture_output=True)
    arguments = open(os.path.join(test, "COMMAND")).read().strip()

    # The impulse method's record has parts of its own (the same test).
    status, impulse, _, _ = analyse(scratch, arguments, "--method", "impulse")
    check(status == 0, "an analysis with --method impulse ends with status 0")

    status, record, text, samples = analyse(scratch, arguments)
    check(status == 0, "a clean analysis ends with status 0")
    check(record["format"] == "coastdown-analysis" and record["format_version"] == 3, "format and version")

    # The interval method on a test with an anemometer at 10 Hz: its own
    # part and the specified analysis' road load beside it.
    windy = os.path.join(scratch, "w")
    subprocess.run([simulator, "--out", windy, "--seed", "4", "--rate", "10", "--data-runs", "6"], check=True,
                   capture_output=True)
    windy_arguments = open(os.path.join(windy, "COMMAND")).read().strip()
    intervals_out = os.path.join(scratch, "intervals")
    os.mkdir(intervals_out)
    status, intervals, intervals_text, _ = analyse(intervals_out, windy_arguments, "--method", "intervals",
                                                   "--rate", "10")
    check(status == 0, "the interval method ends with status 0")
    check(intervals["method"]["name"] == "intervals" and "intervals" in intervals, "the interval method's part")
    check(intervals["legacy_comparison"]["available"], "the specified analysis beside the interval method")
    check(record["method"]["name"] == "legacy" and "intervals" not in record, "the legacy record has no intervals")

    for field in sorted(documented_fields()):
        check(lookup(record, field) or lookup(impulse, field) or lookup(intervals, field), "documented field %s is in a record" % field)
    # And every field the records have is named in the README's table (the
    # ten command fields and a1 … a4 are named as ranges there).
    table = open(readme, encoding="utf-8").read()
    table = table[table.index("## The analysis record"):table.index("`--samples FILE` writes")]
    for key, path in list(keys(record)) + list(keys(impulse)) + list(keys(intervals)):
        named = any(form % key in table for form in ("`%s`", "`%s[]", ".%s`", "`%s.", ".%s[]"))
        check(named or path.startswith(".command.fields.") or re.fullmatch(r"a[1-4]", key),
              "field %s is documented" % path)
    # The interval method's report prints the record's corrected road load,
    # rounded as the regulation rounds it.
    intervals_report = open(os.path.join(windy, "VB6Output.txt"), encoding="latin-1").read()
    corrected = intervals["intervals"]["corrected"]
    for name, key, decimals in (("f0", "f0_N", 1), ("f1", "f1_N_per_kmh", 3), ("f2", "f2_N_per_kmh2", 5)):
        shown = re.search(r"^%s: (-?[\d.]+)" % name, intervals_report, re.M).group(1)
        check("%.*f" % (decimals, corrected[key]) == shown, "%s in the interval report and the record" % name)
    numbers = re.sub(r'"(\\.|[^"\\])*"', '""', intervals_text)
    for token in re.findall(r'(?<=[:\[,\s])-?\d[\d.eE+-]*(?=[,\n\]}])', numbers):
        check(float(repr(float(token))) == float(token), "number %s reads back" % token)

    # Every number is the shortest text of its double: reading it and
    # writing it back the shortest way gives the same double.
    for token in re.findall(r'(?<=[:\[,\s])-?\d[\d.eE+-]*(?=[,\n\]}])', text):
        check(float(repr(float(token))) == float(token), "number %s reads back" % token)

    # The report's results are the record's, rounded as the report rounds them.
    report = open(os.path.join(test, "VB6Output.txt"), encoding="latin-1").read()
    results = {r["name"]: r for r in record["results"]["report_units"]}
    for name, decimals in (("Amech", 2), ("Bmech", 4), ("Caero", 6), ("Ctotl", 6), ("Cd", 3)):
        shown = re.search(r"^%s:\s+(-?[\d.]+)" % name, report, re.M).group(1)
        check("%.*f" % (decimals, results[name]["value"]) == shown, "%s in the report and the record" % name)
        check(results[name]["low95"] <= results[name]["value"] <= results[name]["high95"], "%s in its interval" % name)

    # The samples CSV: the record's counts, and forces that are the
    # record's test weight times the deceleration over g.
    rows = list(csv.DictReader(open(samples, newline="")))
    used = [r for r in rows if r["set"] == "DATA" and r["status"] == "used"]
    count = lambda kind, status: sum(1 for r in rows if r["set"] == kind and r["status"] == status)
    check(len(used) == record["final_fit"]["samples_used"], "used samples in the CSV and the record")
    check(count("DATA", "filter outlier") == record["outlier_filter"]["excluded"], "filter outliers")
    check(count("CAL", "yaw outlier") == record["calibration"]["yaw_outliers"], "yaw outliers")
    data = next(s for s in record["sets"] if s["name"] == "DATA")
    check(sum(1 for r in rows if r["set"] == "DATA") == data["samples"], "DATA samples in the CSV and the record")
    weight = record["conditions"]["weight_N"]
    for r in used[:50]:
        check(float(r["force_N"]) == weight / 9.80665 * float(r["deceleration_m_s2"]), "force of a sample")

    # A run that an error ends still writes its record, with the error.
    os.remove(os.path.join(test, "DATA.1"))
    status, record, _, _ = analyse(scratch, arguments.replace("True,True", "False,False"))
    check(status == 1, "no DATA.1 ends the run")
    check(record["error"]["number"] == 9 and "DATA.1 not found" in record["error"]["detail"], "the record's error")
    check(record["exit_status"] == 1 and not record["results"]["available"], "no results after the error")

for failure in failures:
    print("FAILED:", failure)
print("%d failed" % len(failures))
sys.exit(1 if failures else 0)
