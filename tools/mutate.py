#!/usr/bin/env python3
"""mutate.py: how many small planted faults in src/ the test suite catches.

    tools/mutate.py draw [--count 150] [--seed 7420] > tools/mutants.txt
    tools/mutate.py run [--mutants tools/mutants.txt] [--jobs 2] [--log FILE] [--every-failure]

`draw` picks mutants at random across the C++ sources under src/: a swapped
comparison (< <=, > >=, == !=), a swapped arithmetic operator (+ -, * /) or
an integer constant plus one, never inside a comment or a string. Each line
of the list names the file, the line, the column, the original token, its
replacement and the source line, so that the same mutants can be run again
on a later suite (a line that moved is found again by its text; a mutant
whose source line has changed is reported as stale and not counted).

`run` copies the tree into a scratch directory, and for each mutant plants
it, rebuilds, runs the whole suite (ctest) and restores the file. A mutant
that does not compile is not counted; the others are caught (a test failed)
or survive. Each line of the log gives the verdict, the mutant, the tests
that caught it and the time it took; the summary gives caught / counted and
lists the survivors. The suite stops at its first failure; with
--every-failure it runs whole, and the log names every test that fails (a
map of which tests catch what, at the cost of time).
"""
import argparse
import os
import random
import re
import shutil
import subprocess
import signal
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

COMPARISONS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
ARITHMETIC = {"+": "-", "-": "+", "*": "/", "/": "*"}
TOKEN = re.compile(r"<<=|>>=|<<|>>|<=|>=|==|!=|->|\+\+|--|\+=|-=|\*=|/=|&&|\|\||"
                   r"0[xX][0-9a-fA-F]+|\d+\.\d*|\d*\.\d+|\d+[uUlL]*|[A-Za-z_]\w*|\S")


def code_only(text):
    """The source with comments, string and character literals blanked out
    (same length, line ends kept), so that token positions stay valid."""
    out = list(text)
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            j += 1
        elif c == "#" and (i == 0 or text[i - 1] == "\n"):
            j = text.find("\n", i)  # preprocessor lines: includes, pragmas
            j = n if j < 0 else j
        else:
            i += 1
            continue
        for k in range(i, min(j, n)):
            if out[k] != "\n":
                out[k] = " "
        i = j
    return "".join(out)


def candidates(path):
    """Every (line, column, token, replacement) that can be planted in a file."""
    text = open(path).read()
    code = code_only(text)
    found = []
    for lineno, line in enumerate(code.split("\n"), 1):
        tokens = list(TOKEN.finditer(line))
        for k, m in enumerate(tokens):
            tok = m.group(0)
            prev = tokens[k - 1].group(0) if k else ""
            nxt = tokens[k + 1].group(0) if k + 1 < len(tokens) else ""
            if tok in COMPARISONS:
                # Template brackets and include paths are no comparisons.
                if tok in "<>" and (prev in ("template", "vector", "array", "unique_ptr",
                                              "static_cast", "reinterpret_cast", "const_cast",
                                              "initializer_list", "map", "set", "pair",
                                              "function", "numeric_limits", "string_view")
                                    or nxt in (">", "(") and tok == "<"):
                    continue
                found.append((lineno, m.start(), tok, COMPARISONS[tok]))
            elif tok in ARITHMETIC:
                # Only binary operators: a value or ')' before, a value or '(' after.
                if not (re.match(r"[\w)\]]", prev) and re.match(r"[\w(]", nxt)):
                    continue
                if tok == "*" and (prev in ("int", "char", "double", "void", "const", "auto")
                                   or prev[:1].isupper()):
                    continue  # a pointer declaration
                found.append((lineno, m.start(), tok, ARITHMETIC[tok]))
            elif re.fullmatch(r"\d+", tok) and prev not in ("[",):
                found.append((lineno, m.start(), tok, str(int(tok) + 1)))
    return found


def sources():
    for base, _, files in sorted(os.walk(os.path.join(ROOT, "src"))):
        for f in sorted(files):
            if f.endswith((".cpp", ".h")):
                yield os.path.relpath(os.path.join(base, f), ROOT)


def draw(count, seed):
    pool = []
    for rel in sources():
        lines = open(os.path.join(ROOT, rel)).read().split("\n")
        for lineno, col, tok, rep in candidates(os.path.join(ROOT, rel)):
            pool.append((rel, lineno, col, tok, rep, lines[lineno - 1].strip()))
    random.Random(seed).shuffle(pool)
    for m in sorted(pool[:count]):
        print("%s\t%d\t%d\t%s\t%s\t%s" % m)


def read_mutants(path):
    mutants = []
    for line in open(path):
        if line.strip() and not line.startswith("#"):
            rel, lineno, col, tok, rep, src = line.rstrip("\n").split("\t", 5)
            mutants.append((rel, int(lineno), int(col), tok, rep, src))
    return mutants


def plant(tree, mutant):
    """Plants a mutant; returns the original text, or None when stale."""
    rel, lineno, col, tok, rep, src = mutant
    path = os.path.join(tree, rel)
    if not os.path.exists(path):
        return None
    original = open(path).read()
    lines = original.split("\n")
    line = lines[lineno - 1] if lineno <= len(lines) else ""
    if line.strip() != src:
        # The line moved (code above it changed): found again by its text,
        # at the same indentation, when the text is on exactly one line.
        moved = [k for k, l in enumerate(lines) if l.strip() == src]
        if len(moved) != 1:
            return None
        lineno, line = moved[0] + 1, lines[moved[0]]
    if line[col:col + len(tok)] != tok:
        return None
    lines[lineno - 1] = line[:col] + rep + line[col + len(tok):]
    with open(path, "w") as f:
        f.write("\n".join(lines))
    return original


def sh(cmd, cwd, timeout=None):
    """Runs a shell command in its own process group; returns its status and
    its standard output. On a timeout the whole group is killed, so that no
    hung test outlives its mutant and disturbs the next build."""
    p = subprocess.Popen(cmd, cwd=cwd, shell=True, stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        out, _ = p.communicate(timeout=timeout)
        return p.returncode, out.decode("utf-8", "replace")
    except subprocess.TimeoutExpired:
        os.killpg(p.pid, signal.SIGKILL)
        p.communicate()
        return 124, ""


def failed_tests(ctest_output):
    """The names of the tests that ctest lists as failed."""
    names = re.findall(r"^\s*\d+ - (\S+) \(", ctest_output, re.M)
    return ",".join(names) if names else "(timeout)"


def run(mutants_path, jobs, log, every_failure=False):
    mutants = read_mutants(mutants_path)
    tree = tempfile.mkdtemp(prefix="cmd7420_mutate_")
    shutil.copytree(ROOT, tree, dirs_exist_ok=True,
                    ignore=shutil.ignore_patterns("build*", ".git", "run"))
    build = "cmake --build build -j%d" % jobs
    test = "ctest --test-dir build -j%d --timeout 60" % jobs
    if not every_failure:
        test += " --stop-on-failure"
    if sh("cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo && " + build, tree)[0] != 0:
        sys.exit("the unmutated tree does not build")
    if sh(test, tree)[0] != 0:
        sys.exit("the suite fails on the unmutated tree")
    counts = {"caught": 0, "survived": 0, "stillborn": 0, "stale": 0}
    survivors = []
    out = open(log, "w") if log else sys.stdout
    for m in mutants:
        start = time.time()
        original = plant(tree, m)
        caught_by = ""
        if original is None:
            verdict = "stale"
        elif sh(build, tree)[0] != 0:
            verdict = "stillborn"
        else:
            status, output = sh(test, tree, timeout=600)
            verdict = "caught" if status != 0 else "survived"
            caught_by = "  [%s]" % failed_tests(output) if status != 0 else ""
        if original is not None:
            with open(os.path.join(tree, m[0]), "w") as f:
                f.write(original)
        counts[verdict] += 1
        if verdict == "survived":
            survivors.append(m)
        print("%-9s %s:%d  %s -> %s   %s%s  (%.0f s)" % (verdict, m[0], m[1], m[3], m[4], m[5],
                                                       caught_by, time.time() - start),
              file=out, flush=True)
    sh(build, tree)
    shutil.rmtree(tree, ignore_errors=True)
    counted = counts["caught"] + counts["survived"]
    print("\ncaught %d of %d compiling mutants (%d did not compile, %d stale)"
          % (counts["caught"], counted, counts["stillborn"], counts["stale"]), file=out)
    for m in survivors:
        print("  survived %s:%d  %s -> %s   %s" % (m[0], m[1], m[3], m[4], m[5]), file=out)
    return 0


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    sub = ap.add_subparsers(dest="cmd", required=True)
    d = sub.add_parser("draw")
    d.add_argument("--count", type=int, default=150)
    d.add_argument("--seed", type=int, default=7420)
    r = sub.add_parser("run")
    r.add_argument("--mutants", default=os.path.join(ROOT, "tools", "mutants.txt"))
    r.add_argument("--jobs", type=int, default=2)
    r.add_argument("--log")
    r.add_argument("--every-failure", action="store_true")
    args = ap.parse_args()
    if args.cmd == "draw":
        draw(args.count, args.seed)
        return 0
    return run(args.mutants, args.jobs, args.log, args.every_failure)


if __name__ == "__main__":
    sys.exit(main())
