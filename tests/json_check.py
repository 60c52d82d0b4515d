#!/usr/bin/env python3
"""json_check.py: the JSON output of one run agrees with its other outputs.

    json_check.py NAME.json NAME.tbl NAME.h STDERR

NAME.json parses with Python's json module and holds every variable of
NAME.tbl, chip-wide and per channel, with the table's value (a real value as
the table prints it, to six decimals) and no other; every origin is one of
the five names, and a value never set (-1) is "unset"; its registers are the
last write of each register of NAME.h outside the channels' RAM pages
(before any closing start command); its diagnostics are those of STDERR and
its RAMs have their sizes. In override.json variables of each origin have
the origin they should. Exit status 1 on a problem.
"""
import json
import os
import re
import sys

ORIGINS = {"unset", "control_file", "default", "computed", "override"}
# Variables of override.txt and how they got their values: set under the
# override line, set before it (pwr_dwn_cic_CD, and freq in channel B after
# copy_channel 0), copied with channel A (its fir_dec), defaulted by the mode
# lines (toutf_hold), computed (the CIC shift; tout_nsig, 0 without transmit
# channels), never set (the sum-tree selects in receive, agc_tc without AGC).
ORIGIN_SPOTS = {
    "override.json": [
        (None, "rinf_sel_A", "override"), (None, "rinf_diag", "override"),
        (None, "pwr_dwn_cic_CD", "control_file"), (None, "fck", "control_file"),
        (None, "toutf_hold", "default"), (None, "tout_nsig", "computed"),
        (None, "sum_selI", "unset"), (1, "freq", "control_file"),
        (1, "fir_dec", "control_file"), (0, "cic_shift", "computed"), (0, "agc_tc", "unset"),
    ],
}


def check_variables(doc, table, fail):
    chip, channels = doc["chip"], [c["variables"] for c in doc["channels"]]
    seen = set()
    for words in (line.split() for line in table.splitlines()):
        if not words or words[0].startswith(("Error", "Warning")):
            continue
        name, values = words[0], words[1:]
        seen.add(name)
        got = [chip.get(name)] if len(values) == 1 else [v.get(name) for v in channels]
        if None in got:
            fail("%s: not in the JSON" % name)
            continue
        as_text = ["%f" % v["value"] if isinstance(v["value"], float) else "%d" % v["value"] for v in got]
        if as_text != values:
            fail("%s: JSON %s, table %s" % (name, as_text, values))
        for v in got:
            if v["origin"] not in ORIGINS or (v["value"] == -1) != (v["origin"] == "unset"):
                fail("%s: value %r with origin %r" % (name, v["value"], v["origin"]))
    extra = (set(chip) | set().union(*channels)) - seen
    if extra:
        fail("in the JSON but not the table: %s" % " ".join(sorted(extra)))


def last_writes(header):
    """(page or None when direct, address) -> value: the last write of each
    register before the closing start command, RAM pages left out."""
    entries = re.findall(r"\{\s*(0x[0-9a-f]+),\s*(0x[0-9a-f]+),\s*(0x[0-9a-f]+)\s*\}", header)
    writes = [(None if int(p, 16) == 0xffffffff else int(p, 16), int(a, 16), int(v, 16))
              for p, a, v in entries]
    while writes and writes[-1][:2] == (None, 1) and any(w[:2] == (None, 1) for w in writes[:-1]):
        writes.pop()
    is_ram_page = lambda p: p is not None and p < 128 and p % 32 < 18
    return {(p, a): v for p, a, v in writes if not is_ram_page(p)}


def check(json_path, table_path, header_path, stderr_path, fail):
    with open(json_path, encoding="utf-8") as f:
        doc = json.load(f)
    check_variables(doc, open(table_path).read(), fail)
    if os.path.isfile(header_path):
        got = {(r["page"], r["address"]): r["value"] for r in doc["registers"]}
        want = last_writes(open(header_path).read())
        diffs = ["%s: %s / %s" % (k, got.get(k), want.get(k)) for k in set(got) | set(want)
                 if got.get(k) != want.get(k)]
        if diffs:
            fail("registers differ from the header's last writes (JSON / header): %s" % ", ".join(diffs[:5]))
    reports = [l for l in open(stderr_path).read().splitlines() if l.startswith(("Error", "Warning"))]
    if len(doc["diagnostics"]) != len(reports):
        fail("%d diagnostics, %d on standard error" % (len(doc["diagnostics"]), len(reports)))
    for ch, name, origin in ORIGIN_SPOTS.get(os.path.basename(json_path), []):
        vars_ = doc["chip"] if ch is None else doc["channels"][ch]["variables"]
        if vars_[name]["origin"] != origin:
            fail("%s: origin %s, expected %s" % (name, vars_[name]["origin"], origin))
    for ch in doc["channels"]:
        sizes = [len(ch["coefficient_ram"]), len(ch["swap_ram"]), len(ch["back_end_ram"])]
        if sizes != [256, 16, 16]:
            fail("channel %s RAM sizes %s" % (ch["name"], sizes))


def main():
    failures = []
    try:
        check(*sys.argv[1:5], failures.append)
    except Exception as e:  # a file that is missing or does not parse
        failures.append("%s: %s" % (type(e).__name__, e))
    for f in failures:
        print("wrong: %s: %s" % (sys.argv[1], f))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
