#!/usr/bin/env python3
"""Times `vexlo reverse` against `vexlo generate` on the benchmark model.

    bench/reverse_bench.py BINDIR [--classes N] [--edits K] [--runs R] [--work DIR]
                           [--language Delphi|C#] [--limit X]

Writes the synthetic model of N classes (default 2000, bench/delphi_synthetic_model.py),
generates it once, and then, R times (default 5), interleaved so that the machine's load
falls on both alike:

* generate: `vexlo generate` over the generated files (every zone read and kept), the run
  a user makes after changing the model;
* reverse: K edits (default 20) made to the code as a user makes them (fields and methods
  with bodies added, methods renamed and made virtual, spread over the units), then
  `vexlo reverse` (model written, code generated again); the model, the code and the
  base store are put back before each round.

Prints the best wall time and CPU time (user + system) of each, their ratios and the
load average, and exits 1 when reverse takes more than X (default 3) times generate's
wall time. On a loaded machine the CPU ratio is the steadier of the two.
"""
import argparse
import os
import re
import resource
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def run(cmd, env):
    """Runs cmd; returns its wall time, its CPU time (user + system) and its output."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    p = subprocess.run(cmd, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    took = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime
    if p.returncode != 0:
        sys.exit("%s failed (%d):\n%s" % (" ".join(cmd), p.returncode, p.stderr.decode(errors="replace")[-2000:]))
    return took, cpu, p.stdout.decode(errors="replace")


def edit_delphi(text, cls, k, kind):
    """One edit in class T<cls> of a unit's text; returns the new text."""
    head = "  T%05d = class" % cls
    at = text.index(head)
    if kind == "field":
        line = "    FF9: Integer;\r\n"
        pos = text.index(line, at) + len(line)
        return text[:pos] + "    FExtra%d: Integer;\r\n" % k + text[pos:]
    if kind == "method":
        line = "    function Op9(AValue: Integer;AText: string): Integer;\r\n"
        pos = text.index(line, at) + len(line)
        text = text[:pos] + "    function Extra%d(): Integer;\r\n" % k + text[pos:]
        end = text.rindex("\r\ninitialization")
        body = "\r\nfunction T%05d.Extra%d(): Integer;\r\nbegin\r\n  Result := %d;\r\nend;\r\n" % (cls, k, k)
        return text[:end] + body + text[end:]
    if kind == "rename":
        pos = text.index("    function Op2(AValue", at)
        text = text[:pos] + text[pos:].replace("function Op2(", "function Renamed%d(" % k, 1)
        return text.replace("function T%05d.Op2(" % cls, "function T%05d.Renamed%d(" % (cls, k), 1)
    # virtual
    line = "    function Op3(AValue: Integer;AText: string): Integer;\r\n"
    pos = text.index(line, at) + len(line) - 2
    return text[:pos] + " virtual;" + text[pos:]


def edit_csharp(text, cls, k, kind):
    at = text.index("public class T%05d " % cls)
    if kind == "field":
        line = "      private int FF9;\r\n"
        pos = text.index(line, at) + len(line)
        return text[:pos] + "      private int FExtra%d;\r\n" % k + text[pos:]
    if kind == "method":
        line = "      public int Op9(int AValue,string AText)\r\n"
        pos = text.index(line, at)
        return text[:pos] + "      public int Extra%d()\r\n      {\r\n        return %d;\r\n      }\r\n" % (k, k) + text[pos:]
    if kind == "rename":
        pos = text.index("      public int Op2(", at)
        return text[:pos] + text[pos:].replace("public int Op2(", "public int Renamed%d(" % k, 1)
    pos = text.index("      public int Op3(", at)
    return text[:pos] + text[pos:].replace("public int Op3(", "public virtual int Op3(", 1)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("bindir")
    ap.add_argument("--classes", type=int, default=2000)
    ap.add_argument("--edits", type=int, default=20)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--work", default="/tmp/vexlo-reverse-bench")
    ap.add_argument("--language", choices=["Delphi", "C#"], default="Delphi")
    ap.add_argument("--limit", type=float, default=3.0)
    args = ap.parse_args()

    vexlo = os.path.join(os.path.abspath(args.bindir), "vexlo")
    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    env = dict(os.environ, VEXLO_REGISTRY=os.path.join(work, "registry.reg"))
    model = os.path.join(work, "Bench.mdl")
    subprocess.run([sys.executable, os.path.join(HERE, "delphi_synthetic_model.py"), str(args.classes), model,
                    "--language", args.language], check=True)
    out = os.path.join(work, "out")
    run([vexlo, "generate", model, "--out", out], env)
    pristine = os.path.join(work, "pristine")
    shutil.copytree(out, pristine)
    shutil.copy(model, model + ".orig")

    # The edits: K classes spread over the units, the four kinds in turn.
    per_unit = 50
    ext = ".pas" if args.language == "Delphi" else ".cs"
    kinds = ["field", "method", "rename", "virtual"]
    step = max(1, args.classes // args.edits)
    edits = [(cls, k, kinds[k % 4]) for k, cls in enumerate(range(0, args.classes, step))][: args.edits]
    edit = edit_delphi if args.language == "Delphi" else edit_csharp

    def restore():
        shutil.rmtree(out)
        shutil.copytree(pristine, out)
        shutil.copy(model + ".orig", model)

    def apply_edits():
        for cls, k, kind in edits:
            unit = os.path.join(out, "Bench", "U%05d%s" % (cls // per_unit, ext))
            with open(unit, newline="") as f:
                text = f.read()
            with open(unit, "w", newline="") as f:
                f.write(edit(text, cls, k, kind))

    gen, rev, gen_cpu, rev_cpu = [], [], [], []
    changes = 0
    for _ in range(args.runs):
        restore()
        took, cpu, _ = run([vexlo, "generate", model, "--out", out], env)
        gen.append(took)
        gen_cpu.append(cpu)
        restore()
        apply_edits()
        took, cpu, said = run([vexlo, "reverse", model, "--out", out], env)
        rev.append(took)
        rev_cpu.append(cpu)
        changes = len(re.findall(r"^(add|rename|change) ", said, re.M))
        check = subprocess.run([vexlo, "generate", model, "--out", out, "--check"], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if check.returncode != 0:
            sys.exit("after reverse, generate --check is not up to date")
    ratio = min(rev) / min(gen)
    load = os.getloadavg()
    print("| model | edits (changes read back) | generate, best of %d | reverse, best of %d | reverse / generate |"
          % (args.runs, args.runs))
    print("|---|---|---|---|---|")
    print("| %d classes, %s | %d (%d) | %.2f s wall, %.2f s CPU | %.2f s wall, %.2f s CPU | %.2f wall, %.2f CPU |"
          % (args.classes, args.language, len(edits), changes, min(gen), min(gen_cpu), min(rev), min(rev_cpu), ratio,
             min(rev_cpu) / min(gen_cpu)))
    print("load average: %.2f %.2f %.2f" % load)
    if ratio > args.limit:
        print("reverse takes %.2f times generate, more than %.1f" % (ratio, args.limit))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
