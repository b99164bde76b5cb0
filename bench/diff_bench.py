#!/usr/bin/env python3
"""Times `vexlo diff` on two versions of the synthetic benchmark model.

    diff_bench.py VEXLO [--classes N] [--runs R] [--work DIR]

Writes the N-class model (delphi_synthetic_model.py, default 2000 classes), then a second
version with edits spread over it: every 100th class renamed, the type of one attribute
of every 50th class changed, a tool property of every 200th class flipped. Runs
`vexlo diff OLD NEW` R times and prints the best wall and CPU times, next to `vexlo show`
of one version (the load alone); checks that the diff exits with 1 and lists exactly one
line per edit.
"""
import argparse
import os
import re
import resource
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def timed(command, env):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    done = subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return done, wall, cpu


def edited(text):
    edits = 0

    def rename(m):
        nonlocal edits
        number = int(m.group(1))
        if number % 100:
            return m.group(0)
        edits += 1
        return '(object Class "R%05d" quid' % number

    text = re.sub(r'\(object Class "T(\d{5})" quid', rename, text)

    def retype(m):
        nonlocal edits
        if int(m.group(1)) % 50:
            return m.group(0)
        edits += 1
        return m.group(0).replace('type "Integer"', 'type "Int64"')

    text = re.sub(r'quid "A(\d{5})00000" type "Integer"', retype, text)

    def flip(m):
        nonlocal edits
        if int(m.group(2)) % 200:
            return m.group(0)
        edits += 1
        return m.group(1).replace('value TRUE', 'value FALSE', 1) + m.group(2) + m.group(3)

    text = re.sub(r'(\(object ClassAttribute "F1" attributes \(list Attribute_Set \(object Attribute tool "Delphi" '
                  r'name "IsProperty" value TRUE\).*? quid "A)(\d{5})(00001")', flip, text)
    return text, edits


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('vexlo')
    parser.add_argument('--classes', type=int, default=2000)
    parser.add_argument('--runs', type=int, default=5)
    parser.add_argument('--work', default=None)
    args = parser.parse_args()
    work = args.work or tempfile.mkdtemp(prefix='vexlo-diff-bench-')
    os.makedirs(work, exist_ok=True)
    old, new = os.path.join(work, 'old.mdl'), os.path.join(work, 'new.mdl')
    subprocess.run([sys.executable, os.path.join(HERE, 'delphi_synthetic_model.py'), str(args.classes), old,
                    os.path.join(work, 'out')], check=True, stdout=subprocess.DEVNULL)
    with open(old, encoding='latin-1') as f:
        text, edits = edited(f.read())
    with open(new, 'w', encoding='latin-1') as f:
        f.write(text)
    env = dict(os.environ, VEXLO_REGISTRY=os.path.join(work, 'registry.reg'))

    rows = {}
    for name, command in (('show', [args.vexlo, 'show', new]), ('diff', [args.vexlo, 'diff', old, new])):
        best_wall = best_cpu = None
        for _ in range(args.runs):
            done, wall, cpu = timed(command, env)
            best_wall = wall if best_wall is None else min(best_wall, wall)
            best_cpu = cpu if best_cpu is None else min(best_cpu, cpu)
        rows[name] = (best_wall, best_cpu, done)
    done = rows['diff'][2]
    lines = [l for l in done.stdout.decode('utf-8').splitlines() if l.startswith('  ')]
    ok = done.returncode == 1 and len(lines) == edits
    size = os.path.getsize(old) / 1e6
    print('model: %d classes, %.1f MB per version; %d edits' % (args.classes, size, edits))
    print('%-6s %10s %10s' % ('', 'wall s', 'cpu s'))
    for name in ('show', 'diff'):
        print('%-6s %10.3f %10.3f' % (name, rows[name][0], rows[name][1]))
    if not ok:
        print('FAIL: exit code %d, %d lines for %d edits' % (done.returncode, len(lines), edits))
        print(done.stderr.decode('utf-8', 'replace')[-2000:])
        return 1
    print('ok: exit code 1, one line per edit')
    return 0


if __name__ == '__main__':
    sys.exit(main())
