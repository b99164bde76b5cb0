#!/usr/bin/env python3
"""Posts the gate's diff (REPORTS/model.diff): always in the job summary, and as comments
on the pull request when COMMENT is "true" (a pull request from this repository; one
from a fork gets a token that may not comment). A comment holds at most LIMIT
characters: a longer diff is split between lines over several comments, so no line and
no character is ever cut; a single line longer than that is left to the artifact."""
import json
import os
import subprocess
import sys

LIMIT = int(os.environ.get("VEXLO_COMMENT_LIMIT", "60000"))  # GitHub takes 65536 characters per comment
SUMMARY_LIMIT = 900000  # and 1 MiB per step summary

reports = os.environ["REPORTS"]
try:
    with open(os.path.join(reports, "model.diff"), "rb") as f:
        data = f.read()
except OSError:
    sys.exit(0)
# The generated files, and so the diff, are in the code page the report names; text
# that is valid UTF-8 (a model in ASCII, a UTF-8 file) is taken as it is.
try:
    text = data.decode("utf-8")
except UnicodeDecodeError:
    codepage = 1252
    try:
        with open(os.path.join(reports, "check.json"), encoding="utf-8") as f:
            codepage = json.load(f).get("codePage") or 1252
    except (OSError, ValueError):
        pass
    try:
        text = data.decode("cp%d" % codepage)
    except (LookupError, UnicodeDecodeError):
        text = data.decode("cp1252", errors="replace")
lines = text.splitlines(keepends=True)
fence = "```"
while any(line.startswith(fence) for line in lines):
    fence += "`"


def bodies(limit):
    """Comment texts, each a header and whole lines of the diff in a code block."""
    head = "The model generates other code than is checked in ({part}):\n\n" + fence + "diff\n"
    tail = fence + "\n"
    chunks, current, skipped = [], [], 0
    room = limit - len(head) - len(tail) - 40
    size = 0
    for line in lines:
        if len(line) > room:
            skipped += 1
            continue
        if size + len(line) > room and current:
            chunks.append(current)
            current, size = [], 0
        current.append(line)
        size += len(line)
    if current:
        chunks.append(current)
    texts = []
    for i, chunk in enumerate(chunks):
        part = "part %d of %d" % (i + 1, len(chunks)) if len(chunks) > 1 else "the whole diff"
        texts.append(head.format(part=part) + "".join(chunk) + ("" if chunk[-1].endswith("\n") else "\n") + tail)
    if skipped:
        texts.append("%d line(s) of the diff are too long for a comment; the whole diff is model.diff in the "
                     "job's artifact." % skipped)
    return texts


summary = os.environ.get("GITHUB_STEP_SUMMARY")
if summary:
    with open(summary, "a", encoding="utf-8") as f:
        for body in bodies(SUMMARY_LIMIT) if len(text) < SUMMARY_LIMIT else [
                "The diff is too large for the job summary; it is model.diff in the job's artifact."]:
            f.write(body + "\n")

if os.environ.get("COMMENT") == "true" and os.environ.get("PR"):
    for body in bodies(LIMIT):
        done = subprocess.run(["gh", "pr", "comment", os.environ["PR"], "--body-file", "-"], input=body,
                              text=True, capture_output=True)
        if done.returncode != 0:
            print("::warning::the diff could not be posted on the pull request (the workflow needs "
                  "'permissions: pull-requests: write'): " + done.stderr.strip())
            break
