#!/usr/bin/env python3
"""json_examples.py: every shipped example with `print json`.

Each example runs on a copy of examples/ with `print json` and `print table`
added at its end (after an `override` line they are read by the second
pass). Then:
- the status, standard output, standard error and every pinned output other
  than the temporary command file and the table are byte for byte as
  examples/expected/ holds them: asking for the JSON changes nothing else;
- NAME.json parses with Python's json module and holds every variable of
  NAME.tbl, chip-wide and per channel, with the table's value (a real value
  as the table prints it, to six decimals), and no other;
- every origin is one of the five names; a value never set (-1) is "unset";
- its registers are the last write of each register of NAME.h outside the
  channels' RAM pages (before any closing start command);
- its diagnostics are those of standard error (the shipped examples have
  none) and its RAMs have their sizes;
- in override.txt, variables of each origin have the origin they should.

    json_examples.py --bin BUILD/cmd7420 [NAME.txt ...]

Exit status 0 when every check passed, 1 otherwise.
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(os.path.dirname(HERE), "examples")
SKIPPED = ("cmd7420TmpCmdFile",)
ORIGINS = {"unset", "control_file", "default", "computed", "override"}
# Variables of override.txt and how they got their values: set under the
# override line, set before it (pwr_dwn_cic_CD, and freq in channel B after
# copy_channel 0), copied with channel A (its fir_dec), defaulted by the mode
# lines (toutf_hold), computed (the CIC shift; tout_nsig, 0 without transmit
# channels), never set (the sum-tree selects in receive, agc_tc without AGC).
ORIGIN_SPOTS = {
    "override.txt": [
        (None, "rinf_sel_A", "override"), (None, "rinf_diag", "override"),
        (None, "pwr_dwn_cic_CD", "control_file"), (None, "fck", "control_file"),
        (None, "toutf_hold", "default"), (None, "tout_nsig", "computed"),
        (None, "sum_selI", "unset"), (1, "freq", "control_file"),
        (1, "fir_dec", "control_file"), (0, "cic_shift", "computed"), (0, "agc_tc", "unset"),
    ],
}


def read(path):
    with open(path, "rb") as f:
        return f.read()


def run_example(binary, control, scratch):
    for entry in os.listdir(EXAMPLES):
        if os.path.isfile(os.path.join(EXAMPLES, entry)):
            shutil.copy2(os.path.join(EXAMPLES, entry), scratch)
    with open(os.path.join(scratch, control), "a") as f:
        f.write("print json\nprint table\n")
    p = subprocess.run([binary, control], cwd=scratch, capture_output=True,
                       env=dict(os.environ, LC_ALL="C"), timeout=60)
    return {"status": b"%d\n" % p.returncode, "stdout": p.stdout, "stderr": p.stderr}


def check_pinned(stem, streams, scratch, fail):
    pinned = os.path.join(EXAMPLES, "expected", stem)
    for name in sorted(os.listdir(pinned)):
        if name in SKIPPED or name.endswith(".tbl"):
            continue
        got = streams.get(name)
        if got is None:
            path = os.path.join(scratch, name)
            got = read(path) if os.path.isfile(path) else None
        if got != read(os.path.join(pinned, name)):
            fail("%s differs from its pinned output" % name)


def as_table_text(value):
    """A JSON value as the table prints it."""
    return "%f" % value if isinstance(value, float) else "%d" % value


def check_variables(doc, table, fail):
    chip, channels = doc["chip"], [c["variables"] for c in doc["channels"]]
    seen = set()
    for line in table.decode().splitlines():
        words = line.split()
        if not words or words[0].startswith("Error") or words[0].startswith("Warning"):
            continue
        name, values = words[0], words[1:]
        seen.add(name)
        if len(values) == 1:
            got = [chip.get(name)]
        else:
            got = [vars_.get(name) for vars_ in channels]
        if None in got:
            fail("%s: not in the JSON" % name)
            continue
        as_text = [as_table_text(v["value"]) for v in got]
        if as_text != values:
            fail("%s: JSON %s, table %s" % (name, as_text, values))
        for v in got:
            if v["origin"] not in ORIGINS:
                fail("%s: origin %r" % (name, v["origin"]))
            if (v["value"] == -1) != (v["origin"] == "unset"):
                fail("%s: value %r with origin %s" % (name, v["value"], v["origin"]))
    extra = (set(chip) | set().union(*channels)) - seen
    if extra:
        fail("in the JSON but not the table: %s" % " ".join(sorted(extra)))


def is_ram_page(page):
    """The coefficient, swap and back-end RAM pages of the four channels."""
    return page is not None and page < 128 and page % 32 < 18


def last_writes(header):
    """Page (None when direct) and address -> value, the last write of each
    register of a header output before its closing start command."""
    entries = re.findall(r"\{\s*(0x[0-9a-f]+),\s*(0x[0-9a-f]+),\s*(0x[0-9a-f]+)\s*\}", header.decode())
    writes = [(None if int(p, 16) == 0xffffffff else int(p, 16), int(a, 16), int(v, 16))
              for p, a, v in entries]
    while writes and writes[-1][:2] == (None, 1) and any(w[:2] == (None, 1) for w in writes[:-1]):
        writes.pop()
    return {(p, a): v for p, a, v in writes if not is_ram_page(p)}


def check_registers(doc, header, fail):
    got = {(r["page"], r["address"]): r["value"] for r in doc["registers"]}
    want = last_writes(header)
    if got != want:
        keys = sorted(set(got) | set(want), key=lambda k: (-1 if k[0] is None else k[0], k[1]))
        diffs = ["%s: %s / %s" % (k, got.get(k), want.get(k)) for k in keys if got.get(k) != want.get(k)]
        fail("registers differ from the header's last writes (JSON / header): %s" % ", ".join(diffs[:5]))


def check_example(binary, control):
    failures = []
    fail = failures.append
    stem = control.rsplit(".", 1)[0]
    scratch = tempfile.mkdtemp(prefix="cmd7420_json_")
    try:
        streams = run_example(binary, control, scratch)
        check_pinned(stem, streams, scratch, fail)
        try:
            with open(os.path.join(scratch, stem + ".json"), encoding="utf-8") as f:
                doc = json.load(f)
        except (OSError, ValueError) as e:
            fail("%s.json: %s" % (stem, e))
            return failures
        check_variables(doc, read(os.path.join(scratch, stem + ".tbl")), fail)
        header = os.path.join(scratch, stem + ".h")
        if os.path.isfile(header):
            check_registers(doc, read(header), fail)
        stderr_errors = [l for l in streams["stderr"].decode().splitlines()
                         if l.startswith("Error") or l.startswith("Warning")]
        if len(doc["diagnostics"]) != len(stderr_errors):
            fail("%d diagnostics, %d on standard error" % (len(doc["diagnostics"]), len(stderr_errors)))
        for ch, name, origin in ORIGIN_SPOTS.get(control, []):
            vars_ = doc["chip"] if ch is None else doc["channels"][ch]["variables"]
            if vars_[name]["origin"] != origin:
                fail("%s: origin %s, expected %s" % (name, vars_[name]["origin"], origin))
        for ch in doc["channels"]:
            sizes = [len(ch["coefficient_ram"]), len(ch["swap_ram"]), len(ch["back_end_ram"])]
            if sizes != [256, 16, 16]:
                fail("channel %s RAM sizes %s" % (ch["name"], sizes))
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    return failures


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--bin", required=True, help="the cmd7420 binary")
    ap.add_argument("examples", nargs="*", help="examples to run (default: all pinned)")
    args = ap.parse_args()
    binary = os.path.abspath(args.bin)
    examples = args.examples or sorted(
        e + ".txt" for e in os.listdir(os.path.join(EXAMPLES, "expected")))
    failed = 0
    for control in examples:
        failures = check_example(binary, control)
        print("%s %s" % ("FAIL" if failures else "ok  ", control))
        for f in failures:
            print("  " + f)
        failed += bool(failures)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
