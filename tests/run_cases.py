#!/usr/bin/env python3
"""run_cases.py: end-to-end cases of cmd7420, kept as files.

    run_cases.py --bin BUILD/cmd7420 [--update] CASE_DIR... [--example NAME.txt]

Each case directory (format in tests/cases/README.md) is run on a scratch
copy; exit status 0 when every check passed, 1 otherwise.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
EXAMPLES = os.path.join(SOURCE, "examples")
COMMON = os.path.join(HERE, "cases", "common")


class Case:
    def __init__(self, directory):
        self.dir = directory
        self.name = os.path.basename(os.path.normpath(directory))
        self.failures = []

    def fail(self, text):
        self.failures.append(text)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def lines_of(data):
    return data.decode("utf-8", "replace").split("\n")


def copy_inputs(src, dst, skip=("expect", "expected")):
    for entry in os.listdir(src):
        s, d = os.path.join(src, entry), os.path.join(dst, entry)
        if entry not in skip:
            (shutil.copytree if os.path.isdir(s) else shutil.copy2)(s, d)


def run(binary, scratch, script, timeout):
    env = dict(os.environ, CMD7420=binary, EXAMPLES=EXAMPLES, SOURCE=SOURCE, LC_ALL="C")
    try:
        p = subprocess.run(["sh", "-c", script], cwd=scratch, env=env,
                           stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout)
        return p.returncode, p.stdout, p.stderr
    except subprocess.TimeoutExpired:
        return None, b"", b""


def parse_expect(path):
    """The directives of an `expect` file as (keyword, argument) pairs."""
    directives = []
    script = []
    for raw in read(path).decode("utf-8").split("\n"):
        line = raw.rstrip("\r")
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        if line.startswith("run: "):
            script.append(line[5:])
            continue
        key, _, arg = line.partition(" ")
        directives.append((key, arg))
    return directives, script


def has_line(data, text):
    return text in lines_of(data)


def check(case, directives, status, out, err, scratch):
    streams = {"stdout": out, "stderr": err}

    def file_data(name):
        path = os.path.join(scratch, name)
        return read(path) if os.path.isfile(path) else None

    for key, arg in directives:
        if key == "status":
            if status != int(arg):
                case.fail("status %s, expected %s" % (status, arg))
        elif key in ("stdout:", "stderr:"):
            if not has_line(streams[key[:-1]], arg):
                case.fail("%s lacks the line: %s" % (key[:-1], arg))
        elif key in ("stdout-lacks:", "stderr-lacks:"):
            if arg.encode() in streams[key[:-7]]:
                case.fail("%s holds: %s" % (key[:-7], arg))
        elif key in ("in", "not-in"):
            name, _, text = arg.partition(": ")
            name = name.rstrip(":")
            data = file_data(name)
            if data is None:
                case.fail("no file %s" % name)
            elif key == "in" and not has_line(data, text):
                case.fail("%s lacks the line: %s" % (name, text))
            elif key == "not-in" and text.encode() in data:
                case.fail("%s holds: %s" % (name, text))
        elif key == "exists":
            for name in arg.split():
                if not os.path.lexists(os.path.join(scratch, name)):
                    case.fail("%s does not exist" % name)
        elif key == "absent":
            for name in arg.split():
                if os.path.lexists(os.path.join(scratch, name)):
                    case.fail("%s exists" % name)
        elif key == "unchanged":
            for name in arg.split():
                if file_data(name) != read(os.path.join(case.dir, name)):
                    case.fail("%s changed" % name)
        elif key == "same":
            a, b = arg.split()
            if file_data(a) is None or file_data(a) != file_data(b):
                case.fail("%s and %s differ" % (a, b))
        elif key == "only-files":
            left = sorted(e for e in os.listdir(scratch) if not e.startswith(".case-"))
            if left != sorted(arg.split()):
                case.fail("files left: %s, expected: %s" % (" ".join(left), arg))
        elif key in ("timeout", "use"):
            pass
        else:
            case.fail("unknown directive: %s" % key)


def compare_whole(case, expected_dir, actual, update):
    """Compares each file of expected_dir with the output of the same name
    (`actual`: name -> bytes); with `update`, rewrites those files instead."""
    for name in sorted(os.listdir(expected_dir)):
        path = os.path.join(expected_dir, name)
        got = actual.get(name)
        if update:
            with open(path, "wb") as f:
                f.write(got if got is not None else b"")
        elif got is None:
            case.fail("expected/%s: no such output" % name)
        elif got != read(path):
            case.fail("expected/%s differs:\n%s" % (name, first_difference(read(path), got)))


def first_difference(want, got):
    w, g = lines_of(want), lines_of(got)
    for i in range(max(len(w), len(g))):
        a = w[i] if i < len(w) else "<end>"
        b = g[i] if i < len(g) else "<end>"
        if a != b:
            return "  line %d\n  expected: %s\n  actual:   %s" % (i + 1, a, b)
    return "  (line ends differ)"


def outputs_of(scratch, status, out, err, before):
    actual = {"stdout": out, "stderr": err, "status": b"%d\n" % status}
    for entry in os.listdir(scratch):
        path = os.path.join(scratch, entry)
        if entry not in before and os.path.isfile(path) and not entry.startswith(".case-"):
            actual[entry] = read(path)
    return actual


def run_case(binary, directory, update):
    case = Case(directory)
    expect = os.path.join(directory, "expect")
    directives, script = parse_expect(expect)
    timeout = float(dict(directives).get("timeout", 20))
    scratch = tempfile.mkdtemp(prefix="cmd7420_case_")
    try:
        copy_inputs(directory, scratch)
        for name in " ".join(arg for key, arg in directives if key == "use").split():
            shutil.copy2(os.path.join(COMMON, name), scratch)
        before = set(os.listdir(scratch))
        status, out, err = run(binary, scratch, "\n".join(script) or '"$CMD7420" cfg.txt',
                               timeout)
        if status is None:
            case.fail("timed out after %g s" % timeout)
            return case
        check(case, directives, status, out, err, scratch)
        expected_dir = os.path.join(directory, "expected")
        if os.path.isdir(expected_dir):
            actual = outputs_of(scratch, status, out, err, before)
            if update and not os.listdir(expected_dir):
                for name in actual:  # an empty expected/ pins every output
                    open(os.path.join(expected_dir, name), "wb").close()
            compare_whole(case, expected_dir, actual, update)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    return case


def run_example(binary, control, update):
    """A shipped example, run on a copy of examples/, against every pinned output."""
    stem = control.rsplit(".", 1)[0]
    case = Case(os.path.join(EXAMPLES, "expected", stem))
    scratch = tempfile.mkdtemp(prefix="cmd7420_example_")
    try:
        copy_inputs(EXAMPLES, scratch, skip=("expected",))
        before = set(os.listdir(scratch))
        status, out, err = run(binary, scratch, '"$CMD7420" %s' % control, 60)
        if status is None:
            case.fail("timed out")
            return case
        actual = outputs_of(scratch, status, out, err, before)
        if update:
            # Every output of the example is pinned, so a new one appears.
            shutil.rmtree(case.dir, ignore_errors=True)
            os.makedirs(case.dir)
            for name in actual:
                open(os.path.join(case.dir, name), "wb").close()
        if not os.path.isdir(case.dir):
            case.fail("no pinned outputs in %s (run with --update)" % case.dir)
            return case
        compare_whole(case, case.dir, actual, update)
        for name in sorted(set(actual) - set(os.listdir(case.dir))):
            case.fail("output %s is not pinned" % name)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    return case


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--bin", required=True, help="the cmd7420 binary")
    ap.add_argument("--update", action="store_true", help="rewrite expected/ whole files")
    ap.add_argument("--example", action="append", default=[], help="a shipped example")
    ap.add_argument("cases", nargs="*", help="case directories")
    args = ap.parse_args()
    binary = os.path.abspath(args.bin)
    results = [run_case(binary, d, args.update) for d in args.cases]
    results += [run_example(binary, e, args.update) for e in args.example]
    failed = 0
    for case in results:
        if case.failures:
            failed += 1
            print("FAIL %s" % case.name)
            for f in case.failures:
                print("  " + f)
        else:
            print("ok   %s" % case.name)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
