#!/usr/bin/env python3
"""Where a vexlo run spends its instructions: callgrind, summed into a table.

    bench/profile.py BINDIR MODEL [--regen] [--work DIR] [--label NAME] [--cg FILE]

Runs `vexlo generate MODEL` under callgrind (into an empty folder; with --regen a first
run without callgrind fills the folder, and the profiled run regenerates over it) and
prints two markdown tables of instructions (Ir):

* by step: the inclusive cost of the functions that make up the steps of a run
  (nested rows are indented and are part of the row above them);
* by kind: the self cost of every function, summed by what it does (reference counting
  and the library lock, BSTR and VARIANT traffic, allocation, copies, ...).

--cg reads an existing callgrind file instead of running vexlo. Instruction counts do
not depend on the machine's load, so two builds can be compared on a busy machine.
The add-in patches code when it loads, which callgrind only follows with
--smc-check=all (without it the run recurses until the stack overflows).
"""
import argparse
import os
import re
import shutil
import subprocess
import sys

# (label, depth, function-name regex): inclusive cost of the most expensive match.
STEPS = [
    ("whole run", 0, r"^main$"),
    ("loading the model", 1, r"VexloCli::LoadForRun"),
    ("reading old files for the zone guard", 1, r"VexloCli::ZoneGuard::ReadOldFiles"),
    ("the add-in's generation", 1, r"VexloCli::Addin::Call$"),
    ("- host calls (the stand-in's Invoke)", 2, r"RoseHost::Automation::Object::Invoke$"),
    ("- reading the old file's zones", 2, r"CVXGenerator::Initialize$"),
    ("- writing zones", 2, r"CVXZoneWriter::WriteText$"),
    ("zone guard after generation", 1, r"VexloCli::ZoneGuard::(CarryDroppedZones|Account)$"),
    ("commit", 1, r"VexloCli::CommitRun$"),
    ("freeing the model", 1, r"RoseHost::Model::~Model$"),
]

# (label, regex on "file:function [object]"): self cost, first match wins.
KINDS = [
    ("library lock and reference counts", r"LmLib::CLmLock|LmLib::CLmPtrBase|LmLib::CLmGCPtrBase|"
     r"CLmUnknownObject::(AddRef|Release)|EnterCriticalSection|LeaveCriticalSection|pthread_mutex|"
     r"__tls_get_addr|pthread_self|LmTypedCast"),
    ("BSTR and VARIANT", r"Sys(Alloc|Free|ReAlloc)String|SysString(Byte)?Len|Variant(Clear|Copy|Init|ChangeType)|"
     r"CLmBSTR::"),
    ("allocation", r"malloc|_int_free|cfree|[^a-z]free |unlink_chunk|operator new|operator delete"),
    ("copies, lengths and compares", r"mem(cpy|move|set|cmp|chr)|wmem(cpy|move|set|cmp|chr)|wcs(len|cmp|chr)|"
     r"str(len|cmp|chr)"),
    ("code pages", r"CodePage_posix|WideCharToMultiByte|MultiByteToWideChar"),
    ("petal reader", r"host/Petal(Parser|Reader|Lexer)|RoseHost::(::)?(PetalReader|Lexer)|:RoseHost::(::)?(Parser|PetalBuilder|PetalDocument|ParsePetal)"),
    ("stand-in host objects", r"host/Automation|:RoseHost::(::)?Automation"),
    ("model builder, texts and look-ups", r"host/(ModelLoader|ModelText|RoseModel)|:RoseHost::"),
    ("add-in generators", r"(^|/)(VexloLib|Vexlo|LMLIB)/|:CVX|:LmLib::|:\(anonymous|:::"),
    ("command line, zone guard, run", r"(^|/)cli/|:VexloCli::"),
    ("loading shared libraries", r"ld-linux|dl-lookup|dl-reloc"),
]

LINE = re.compile(r"^\s*([\d,]+)\s+\([\s\d.]+%\)\s+(.*)$")


def annotate(cg, inclusive):
    args = ["callgrind_annotate", "--threshold=100", "--auto=no", cg]
    if inclusive:
        args.insert(1, "--inclusive=yes")
    out = subprocess.run(args, capture_output=True, text=True, check=True).stdout
    rows = []
    for line in out.splitlines():
        m = LINE.match(line)
        if m and "PROGRAM TOTALS" not in line:
            rows.append((int(m.group(1).replace(",", "")), m.group(2)))
    return rows


def function_name(entry):
    # "file:function(args) [object]" -> "function" (recursion marks like '2 dropped)
    body = entry.split(" [")[0]
    body = body.split(":", 1)[1] if ":" in body and not body.startswith("???:") else body.replace("???:", "")
    name = body.replace("(anonymous namespace)", "").split("(")[0]
    return re.sub(r"'\d+$", "", name.strip())


def total_of(cg):
    out = subprocess.run(["callgrind_annotate", cg], capture_output=True, text=True, check=True).stdout
    m = re.search(r"([\d,]+)\s+\(100.0%\)\s+PROGRAM TOTALS", out)
    return int(m.group(1).replace(",", "")) if m else 0


def steps(cg):
    rows = annotate(cg, True)
    result = []
    for label, depth, pattern in STEPS:
        rx = re.compile(pattern)
        costs = {}
        for cost, entry in rows:
            name = function_name(entry)
            if rx.search(name):
                costs[name] = max(costs.get(name, 0), cost)
        result.append((label, depth, sum(costs.values())))
    return result


def kinds(cg):
    sums = {label: 0 for label, _ in KINDS}
    other = 0
    compiled = [(label, re.compile(p)) for label, p in KINDS]
    for cost, entry in annotate(cg, False):
        # what the function is and where it lives; not its argument types
        where = entry.split(":", 1)[0] + ":" + function_name(entry) + " [" + entry.split(" [")[-1]
        for label, rx in compiled:
            if rx.search(where):
                sums[label] += cost
                break
        else:
            other += cost
            if os.environ.get("PROFILE_OTHERS"):
                print("other: %d %s" % (cost, where), file=sys.stderr)
    return list(sums.items()) + [("everything else", other)]


def giga(n):
    return "%.2f G" % (n / 1e9)


def run(args):
    vexlo = os.path.join(os.path.abspath(args.bindir), "vexlo")
    os.makedirs(args.work, exist_ok=True)
    env = dict(os.environ, VEXLO_REGISTRY=os.path.join(args.work, "profile.reg"))
    out = os.path.join(args.work, "out")
    shutil.rmtree(out, ignore_errors=True)
    if args.regen:
        subprocess.run([vexlo, "generate", args.model, "--out", out], env=env, check=True,
                       stdout=subprocess.DEVNULL)
    cg = os.path.join(args.work, "%s.cg" % args.label)
    subprocess.run(["valgrind", "--tool=callgrind", "--smc-check=all", "--callgrind-out-file=" + cg,
                    vexlo, "generate", args.model, "--out", out], env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cg


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("bindir", nargs="?")
    p.add_argument("model", nargs="?")
    p.add_argument("--regen", action="store_true")
    p.add_argument("--work", default=os.path.join(os.environ.get("TMPDIR", "/tmp"), "vexlo-profile"))
    p.add_argument("--label", default="run")
    p.add_argument("--cg")
    args = p.parse_args()
    if not args.cg and not (args.bindir and args.model):
        p.error("give BINDIR MODEL, or --cg FILE")
    cg = args.cg or run(args)
    total = total_of(cg)
    print("%s: %s instructions" % (args.label, giga(total)))
    print()
    print("| step | Ir | share |")
    print("|---|---|---|")
    for label, depth, cost in steps(cg):
        indent = "&nbsp;&nbsp;" * depth
        print("| %s%s | %s | %.1f%% |" % (indent, label, giga(cost), 100.0 * cost / total if total else 0))
    print()
    print("| kind (self cost) | Ir | share |")
    print("|---|---|---|")
    for label, cost in kinds(cg):
        print("| %s | %s | %.1f%% |" % (label, giga(cost), 100.0 * cost / total if total else 0))
    return 0


if __name__ == "__main__":
    sys.exit(main())
