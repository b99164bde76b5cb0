#!/usr/bin/env python3
"""How much of what the compilers reject in code from real models lint predicts.

For each sample model (../shared/models, or the folder given with --models), each
language (Delphi, C#) and each type map (none, or those given with --maps): generates
the code with `vexlo generate --language L`, compiles it (fpc -Mdelphi per unit, mcs
over all files), lints the model with the same options, and counts the compiler errors
whose source line, or whose message, names an element of a lint finding (the last part
of the finding's path: a class, member or parameter, also as the field "F"+name and the
accessors "Get"/"Set"+name). A long sweep for maintainers, not part of the tests:

  scripts/lint-models.py [--vexlo build/bin/vexlo] [--maps none,cpp,java] [--keep DIR]
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MODELS = [
    ("atm.mdl", []),
    ("zelva-design.mdl", []),
    ("umldemo.mdl", []),
    ("library-gbk.mdl", []),
    ("emf/plugins/org.eclipse.emf.ecore/model/Ecore.mdl", ["--path-map", "VABASE_PLUGINS_PATH={models}/emf/plugins"]),
]
FPC_ERROR = re.compile(r"^(.*?)\((\d+)(?:,\d+)?\) (?:Error|Fatal): (.*)$")
MCS_ERROR = re.compile(r"^(.*?)\((\d+),\d+\): error (CS\d+): (.*)$")


def run(args, cwd=None):
    return subprocess.run(args, cwd=cwd, capture_output=True, text=True, errors="replace")


def compile_errors(language, out):
    """(file, line, message) of every error the compiler reports, once each."""
    files = [os.path.join(d, f) for d, _, fs in os.walk(out) for f in fs
             if f.endswith(".pas" if language == "Delphi" else ".cs")]
    errors = set()
    if not files:
        return errors
    if language == "C#":
        # The files are in the model's code page and mcs reads UTF-8 (mono has no GBK):
        # it compiles UTF-8 copies, line for line, so that only the model's settings count.
        copies = os.path.join(out, ".utf8")
        compiled = []
        for f in files:
            with open(f, "rb") as data:
                raw = data.read()
            for encoding in ("utf-8", "gbk", "cp1252"):
                try:
                    decoded = raw.decode(encoding)
                    break
                except UnicodeDecodeError:
                    continue
            copy = os.path.join(copies, os.path.relpath(f, out))
            os.makedirs(os.path.dirname(copy), exist_ok=True)
            with open(copy, "w", encoding="utf-8", newline="") as data:
                data.write(decoded)
            compiled.append(copy)
        result = run(["mcs", "-target:library", "-nologo", "-out:" + os.path.join(out, "all.dll")] + compiled)
        for line in (result.stdout + result.stderr).splitlines():
            m = MCS_ERROR.match(line.strip())
            if m:
                original = os.path.join(out, os.path.relpath(os.path.abspath(m.group(1)), copies))
                errors.add((os.path.abspath(original), int(m.group(2)), m.group(3) + " " + m.group(4)))
        return errors
    dirs = sorted({os.path.dirname(f) for f in files})
    units = os.path.join(out, ".units")
    os.makedirs(units, exist_ok=True)
    for f in files:
        result = run(["fpc", "-Mdelphi", "-vew", "-FU" + units] + ["-Fu" + d for d in dirs] + [f])
        for line in (result.stdout + result.stderr).splitlines():
            m = FPC_ERROR.match(line.strip())
            if m and "There were" not in m.group(3) and "Compilation aborted" not in m.group(3):
                path = m.group(1) if os.path.isabs(m.group(1)) else os.path.join(os.path.dirname(f), m.group(1))
                if not os.path.exists(path):  # a unit it uses, named without its folder
                    path = next((g for g in files if os.path.basename(g) == os.path.basename(path)), path)
                errors.add((os.path.abspath(path), int(m.group(2)), m.group(3)))
    return errors


def finding_names(lint_output):
    """What a finding's element is written as: its name (a field "F"+name, accessors
    "Get"/"Set"+name, an unnamed role's field "F"), and the type or unit it names."""
    names = set()
    for line in lint_output.splitlines():
        parts = line.split(": ", 3)
        if len(parts) < 4 or line.startswith("vexlo"):
            continue
        path, message = parts[2], parts[3]
        param = re.search(r"\(([^()]*)\)$", path)
        if param:
            names.add("F" if param.group(1) == "role" else param.group(1))
            path = path[: param.start()]
        last = path.split("::")[-1]
        if last:
            names.update({last, "F" + last, "Get" + last, "Set" + last})
        for pattern in (r'^the type "([^"]+)"', r" uses (\S+) \(", r"names (\S+) twice", r'"([^"]+)" is no'):
            m = re.search(pattern, message)
            if m:
                names.add(m.group(1))
    return {n for n in names if len(n) >= 2 or n == "F"}


def predicted(error, names, cache):
    path, line, message = error
    if path not in cache:
        cache[path] = []
        try:
            with open(path, "rb") as f:
                data = f.read()
        except OSError:
            data = b""
        # The files are in the model's code page: ASCII, or GBK for the Chinese models.
        for encoding in ("ascii", "gbk", "latin-1"):
            try:
                cache[path] = data.decode(encoding).split("\n")
                break
            except UnicodeDecodeError:
                pass
    text = cache[path][line - 1] if 0 < line <= len(cache[path]) else ""
    words = set(re.findall(r"\w+", text + " " + message))
    return any(n in words or (not n.isidentifier() and n in text) for n in names)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--vexlo", default=os.path.join(ROOT, "build", "bin", "vexlo"))
    parser.add_argument("--models", default=os.environ.get("VEXLO_SAMPLE_MODELS") or os.path.join(os.path.dirname(ROOT), "shared", "models"))
    parser.add_argument("--maps", default="none,cpp,java")
    parser.add_argument("--keep", help="keep the generated code below this folder")
    parser.add_argument("--misses", action="store_true", help="print the errors lint did not predict")
    args = parser.parse_args()
    if not os.path.isdir(args.models):
        print("no sample models at", args.models, file=sys.stderr)
        return 0
    if not (shutil.which("fpc") and shutil.which("mcs")):
        print("fpc and mcs are needed (scripts/setup.sh installs them)", file=sys.stderr)
        return 2
    scratch = args.keep or tempfile.mkdtemp(prefix="vexlo-lint-models-")
    totals = {}
    print("%-32s %-6s %-5s %7s %9s %8s" % ("model", "lang", "map", "errors", "predicted", "findings"))
    for model, extra in MODELS:
        path = os.path.join(args.models, model)
        extra = [e.format(models=args.models) for e in extra]
        for language in ("Delphi", "C#"):
            for map_name in args.maps.split(","):
                out = os.path.join(scratch, os.path.basename(model) + "-" + language.replace("#", "s") + "-" + map_name)
                shutil.rmtree(out, ignore_errors=True)
                common = [path, "--language", language, "--out", out] + extra
                if map_name != "none":
                    common += ["--type-map", map_name]
                run([args.vexlo, "generate"] + common)
                errors = compile_errors(language, out)
                lint = run([args.vexlo, "lint"] + common)
                names = finding_names(lint.stdout)
                count = sum(1 for line in lint.stdout.splitlines() if not line.startswith("vexlo"))
                cache = {}
                hit = sum(1 for e in errors if predicted(e, names, cache))
                if args.misses:
                    for e in sorted(errors):
                        if not predicted(e, names, cache):
                            print("  missed: %s:%d: %s | %s" % (e[0], e[1], e[2], cache[e[0]][e[1] - 1].strip() if 0 < e[1] <= len(cache[e[0]]) else ""))
                t = totals.setdefault((language, map_name), [0, 0])
                t[0] += len(errors)
                t[1] += hit
                print("%-32s %-6s %-5s %7d %9d %8d" % (os.path.basename(model), language, map_name, len(errors), hit, count))
    print()
    for (language, map_name), (errors, hit) in sorted(totals.items()):
        share = 100.0 * hit / errors if errors else 100.0
        print("total %-6s map %-5s: %5d compiler errors, %5d predicted by lint (%.0f %%)" % (language, map_name, errors, hit, share))
    if not args.keep:
        shutil.rmtree(scratch, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
