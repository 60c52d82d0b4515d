#!/usr/bin/env bash
# Counts the instructions of one whole cmd7420 process per stage of the run
# (valgrind callgrind; the count does not depend on the machine's load).
#
#   bench/stage_instructions.sh [-e EXAMPLE] [BIN...]
#       (defaults: rx4_agc.txt, build/cmd7420 or $CMD7420_BIN)
#
# The stages are inclusive counts of the driver's entry points, so they
# hold for any build of the program that keeps those functions:
#   start-up   everything outside main: the dynamic loader, relocations,
#              the C and C++ run-time start
#   catalogue  initstrtab: the variable table and its 250 variables
#   reading    the control file and its includes cleaned into memory, the
#              interpreter passes, coefficient files, the output files opened
#   compute    preconfig to calc_power: the configuration, checks, reports
#   pack       setregs, the register image
#   write      writeall, the table, simulation, board-loader and header texts
#   save       the outputs and the temporary command file written to disk
#              and renamed, the process's end
set -euo pipefail
cd "$(dirname "$0")/.."

example=rx4_agc.txt
while getopts e: opt; do
  case $opt in
    e) example=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -gt 0 ] || set -- "${CMD7420_BIN:-build/cmd7420}"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for bin in "$@"; do
  bin=$(realpath "$bin")
  work=$scratch/$(basename "$(dirname "$bin")")_$RANDOM
  mkdir "$work"
  cp examples/*.txt examples/*.coef "$work/"
  (cd "$work" && valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" \
     "$bin" "$example" >/dev/null 2>&1)
  echo "$bin"
  callgrind_annotate --inclusive=yes --threshold=100 "$work/cg.out" 2>/dev/null | python3 -c '
import re, sys
totals = {}
total = 0
for line in sys.stdin:
    m = re.match(r"\s*([\d,]+) \(.*?\)  [^ =]*?:([\w:~]+)(\(| \[)", line)
    if line.strip().endswith("PROGRAM TOTALS"):
        total = int(line.split()[0].replace(",", ""))
    if m:
        name = m.group(2)
        # The first line of a function is its inclusive cost; later ones are
        # parts of it inlined from headers.
        totals.setdefault(name, int(m.group(1).replace(",", "")))
def f(*names):
    return sum(totals.get(n, 0) for n in names)
stages = [
    ("start-up", total - f("main")),
    ("catalogue", f("initstrtab")),
    ("reading", f("names_temporary_command_file", "createTmpCmdFile", "expanded_text", "cmdin")),
    ("compute", f("preconfig", "ck_mandatory", "config", "sanity", "pfir_analysis", "calc_power")),
    ("pack", f("setregs")),
    ("write", f("writeall")),
    ("save", f("close_outputs", "finish_run", "end_program")),
]
stages.append(("other", total - sum(n for _, n in stages)))
stages.append(("total", total))
for name, n in stages:
    print(f"  {name:10} {n / 1e6:7.3f} M  {100 * n / total:5.1f} %")
'
done
