#!/usr/bin/env python3
"""The reports CI tools read, validated against their schemas: --report of generate,
--check, --dry-run with text to save, a model that cannot be loaded, a commit that fails,
and lint (docs/report.schema.json);
lint --format sarif (SARIF 2.1.0). Each run's report must also say what the run did, with
paths in the documented form (relative to the folder vexlo runs in, "/" separated).

  check_reports.py VEXLO EXAMPLE_MODEL REPORT_SCHEMA SARIF_SCHEMA
Exit 77 (skipped) without python3-jsonschema."""
import json
import os
import shutil
import subprocess
import sys
import tempfile

try:
    import jsonschema
except ImportError:
    print("python3-jsonschema is not installed (scripts/setup.sh installs it)")
    sys.exit(77)

vexlo, example, report_schema, sarif_schema = (os.path.abspath(a) for a in sys.argv[1:5])
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def run(args, cwd):
    return subprocess.run([vexlo] + args, cwd=cwd, capture_output=True, text=True)


def validated(path, schema_file, what):
    with open(path, encoding="utf-8") as f:
        document = json.load(f)
    with open(schema_file, encoding="utf-8") as f:
        schema = json.load(f)
    errors = sorted(jsonschema.Draft7Validator(schema).iter_errors(document), key=str) \
        if "draft-07" in schema.get("$schema", "") else sorted(jsonschema.Draft4Validator(schema).iter_errors(document), key=str)
    for error in errors[:3]:
        failures.append("%s: %s at %s" % (what, error.message, list(error.absolute_path)))
    return document


def kinds(report):
    return [m["kind"] for m in report["messages"]]


work = tempfile.mkdtemp(prefix="vexlo-reports-")
os.environ["VEXLO_REGISTRY"] = os.path.join(work, "registry.reg")
try:
    os.makedirs(os.path.join(work, "examples"))
    shutil.copy(example, os.path.join(work, "examples", "Example.mdl"))
    model = "examples/Example.mdl"

    r = run(["generate", model, "--out", "out", "--report", "gen.json"], work)
    check(r.returncode == 0, "generate exits 0: " + r.stderr)
    gen = validated(os.path.join(work, "gen.json"), report_schema, "generate")
    check(gen["model"] == model, "generate: the model as given, relative")
    check(all(not f["path"].startswith("/") and f["path"].startswith("out/") for f in gen["files"]),
          "generate: file paths relative to the current folder")
    check(kinds(gen).count("create") == len(gen["files"]), "generate: a create entry per new file")

    with open(os.path.join(work, model), encoding="latin-1") as f:
        text = f.read()
    with open(os.path.join(work, "changed.mdl"), "w", encoding="latin-1") as f:
        f.write(text.replace("Title", "Heading"))
    r = run(["generate", "changed.mdl", "--out", "out", "--check", "--report", "check.json"], work)
    check(r.returncode == 1, "--check with differences exits 1, got %d" % r.returncode)
    chk = validated(os.path.join(work, "check.json"), report_schema, "--check")
    check(chk["exitCode"] == 1, "--check: the report's exit code is the process's")
    stale = [m for m in chk["messages"] if m["kind"] == "stale"]
    check(len(stale) == chk["summary"]["replace"] and stale and all(m["line"] > 1 for m in stale),
          "--check: a stale entry with the first changed line per file that differs")

    # Text of the user's in the zone of an operation the model then loses: a "save" entry.
    catalog = os.path.join(work, "out", "Delphi", "Catalog.pas")
    with open(catalog, "rb") as f:
        code = f.read()
    at = code.index(b".body preserve=yes\r\n", code.index(b"//## begin TCatalog::Count%")) + len(b".body preserve=yes\r\n")
    with open(catalog, "wb") as f:
        f.write(code[:at] + b"    Result := FItems.Count;\r\n" + code[at:])
    start = text.index('(object Operation "Count"')
    depth, end = 0, start
    for end in range(start, len(text)):
        depth += {"(": 1, ")": -1}.get(text[end], 0)
        if depth == 0:
            break
    with open(os.path.join(work, "lost.mdl"), "w", encoding="latin-1") as f:
        f.write(text[:start] + text[end + 1:])
    r = run(["generate", "lost.mdl", "--out", "out", "--dry-run", "--report", "save.json"], work)
    check(r.returncode == 0, "--dry-run exits 0: " + r.stderr)
    save = validated(os.path.join(work, "save.json"), report_schema, "--dry-run with text to save")
    saved = [m for m in save["messages"] if m["kind"] == "save"]
    check(saved and saved[0]["file"] == "out/Delphi/Catalog.pas" and saved[0]["line"] > 1,
          "--dry-run: a save entry with the old file and the zone's line: %s" % saved)

    with open(os.path.join(work, "broken.mdl"), "w", encoding="latin-1") as f:
        f.write(text[: len(text) // 3])
    r = run(["generate", "broken.mdl", "--report", "load.json"], work)
    check(r.returncode == 3, "a broken model exits 3")
    load = validated(os.path.join(work, "load.json"), report_schema, "load error")
    error = [m for m in load["messages"] if m["kind"] == "error"]
    check(error and error[0]["file"] == "broken.mdl" and error[0]["line"] and error[0]["column"],
          "load error: file, line and column apart: %s" % error)

    os.makedirs(os.path.join(work, "other", "Delphi", "Catalog.pas"))
    r = run(["generate", model, "--out", "other", "--report", "commit.json"], work)
    check(r.returncode == 1, "a commit that fails exits 1")
    commit = validated(os.path.join(work, "commit.json"), report_schema, "commit error")
    error = [m for m in commit["messages"] if m["kind"] == "error"]
    check(error and error[0]["file"] == "other/Delphi/Catalog.pas", "commit error: the file named: %s" % error)

    # Under --check, a failure has a code of its own: 1 there means "differences" only.
    r = run(["generate", "changed.mdl", "--out", "out", "--check", "--fail",
             "IRoseModel.GetSelectedModules=0x80004005", "--report", "fail.json"], work)
    check(r.returncode == 6, "--check when the host fails exits 6, got %d" % r.returncode)
    fail = validated(os.path.join(work, "fail.json"), report_schema, "--check failure")
    check(fail["exitCode"] == 6 and "error" in kinds(fail), "--check failure: the report says 6 and the error")

    r = run(["lint", model, "--out", "out", "--report", "lint.json"], work)
    check(r.returncode == 1, "lint with findings exits 1")
    lint = validated(os.path.join(work, "lint.json"), report_schema, "lint")
    check(lint["exitCode"] == 1, "lint: the report's exit code is the process's")
    check(lint["selection"]["components"], "lint: the components judged are its selection")
    check(all(f["file"] == model for f in lint["findings"]), "lint: findings name the model as given")
    check(kinds(lint).count("finding") == len(lint["findings"]) > 0, "lint: a finding entry per finding")

    r = run(["lint", model, "--out", "out", "--format", "sarif"], work)
    check(r.returncode == 1 and "findings" in r.stderr, "lint --format sarif: exit 1, summary on standard error")
    with open(os.path.join(work, "lint.sarif"), "w", encoding="utf-8") as f:
        f.write(r.stdout)
    sarif = validated(os.path.join(work, "lint.sarif"), sarif_schema, "SARIF")
    results = sarif["runs"][0]["results"] if sarif.get("runs") else []
    check(len(results) == len(lint["findings"]), "SARIF: a result per finding")
    check(all(res["locations"][0]["physicalLocation"]["artifactLocation"]["uri"] == model for res in results),
          "SARIF: the model's path relative to SRCROOT")
    rules = [rule["id"] for rule in sarif["runs"][0]["tool"]["driver"]["rules"]]
    check(all(rules[res["ruleIndex"]] == res["ruleId"] for res in results), "SARIF: ruleIndex points at its rule")
finally:
    shutil.rmtree(work, ignore_errors=True)

for failure in failures:
    print("FAILED:", failure)
print("%d check(s) failed" % len(failures) if failures else "all reports valid and complete")
sys.exit(1 if failures else 0)
