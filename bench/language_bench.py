#!/usr/bin/env python3
"""Times the C# generator next to the Delphi generator on synthetic models of one shape.

    language_bench.py VEXLO [--sizes 500,1000,2000] [--repeat 3]

VEXLO is the `vexlo` executable of a Release build. For every size N and language the
model comes from delphi_synthetic_model.py (N classes, 10 attributes and 10 operations
each, 50 classes per file); `vexlo generate` writes it into an empty folder REPEAT
times and the least CPU time counts. `vexlo show` on the same model (loading it and
listing it, no add-in) is timed too; "generation" is the difference. The languages
alternate within a size, so both see the same machine load. Prints, per language and
N, the times (CPU seconds, user + system, of the vexlo process), the generation time
per class and its growth from the previous size.
"""
import argparse
import os
import resource
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def best_time(command, repeat, before=None):
    """The least CPU time (user + system) of the command over `repeat` runs: on a
    loaded machine it varies far less than wall time."""
    best = None
    for _ in range(repeat):
        if before:
            before()
        start = resource.getrusage(resource.RUSAGE_CHILDREN)
        result = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        end = resource.getrusage(resource.RUSAGE_CHILDREN)
        if result.returncode != 0:
            sys.exit("failed (%d): %s\n%s" % (result.returncode, " ".join(command), result.stderr))
        elapsed = (end.ru_utime - start.ru_utime) + (end.ru_stime - start.ru_stime)
        best = elapsed if best is None else min(best, elapsed)
    return best


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("vexlo")
    parser.add_argument("--sizes", default="500,1000,2000")
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    sizes = [int(s) for s in args.sizes.split(",")]
    work = tempfile.mkdtemp(prefix="vexlo_language_bench_")
    os.environ["VEXLO_REGISTRY"] = os.path.join(work, "registry.reg")
    results = {}
    try:
        # Registers the add-in once, so that no measured run pays for it.
        subprocess.run([args.vexlo, "register"], check=True, stdout=subprocess.DEVNULL)
        for n in sizes:
            for language in ("Delphi", "C#"):
                tag = "cs" if language == "C#" else "pas"
                model = os.path.join(work, "%s%d.mdl" % (tag, n))
                out = os.path.join(work, "out-%s%d" % (tag, n))
                subprocess.run([sys.executable, os.path.join(HERE, "delphi_synthetic_model.py"), str(n), model, out,
                                "--language", language], check=True)

                def clean():
                    shutil.rmtree(out, ignore_errors=True)

                total = best_time([args.vexlo, "generate", model], args.repeat, clean)
                files = sum(len(f) for _, _, f in os.walk(out))
                load = best_time([args.vexlo, "show", model], args.repeat)
                results[(language, n)] = (total, load, files)
        print("%-7s %6s %6s %9s %9s %11s %12s %7s" % ("lang", "N", "files", "total s", "load s", "generate s",
                                                         "ms/class", "growth"))
        for language in ("Delphi", "C#"):
            previous = None
            for n in sizes:
                total, load, files = results[(language, n)]
                generate = max(total - load, 0.0)
                growth = "" if previous is None else "%.2fx" % (generate / previous if previous else 0)
                print("%-7s %6d %6d %9.3f %9.3f %11.3f %12.3f %7s" % (language, n, files, total, load, generate,
                                                                      1000.0 * generate / n, growth))
                previous = generate
        for n in sizes:
            d = results[("Delphi", n)]
            c = results[("C#", n)]
            ratio = (c[0] - c[1]) / (d[0] - d[1]) if d[0] > d[1] else float("nan")
            print("N=%d: C#/Delphi generation time %.2f" % (n, ratio))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
