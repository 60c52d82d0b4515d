#!/usr/bin/env bash
# Counts wrong runs among concurrent ones: every shipped example started at
# once in one directory, round after round, each run's outputs, standard
# output, standard error and exit status compared byte for byte with its
# pinned serial run in examples/expected/ (all but cmd7420TmpCmdFile, which
# the runs share). A run is wrong when anything differs, when an output is
# missing, or when it leaves a file named after its control file that the
# serial run does not write.
#
#   bench/concurrent_runs.sh [rounds]          (default 50)
#
# Run from the source tree after building; CMD7420_BIN names another binary
# to use instead of build/cmd7420.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-50}
bin=$(realpath "${CMD7420_BIN:-build/cmd7420}")
[ -x "$bin" ] || { echo "$bin: not built" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

stems=()
for pinned in examples/expected/*/; do stems+=("$(basename "$pinned")"); done

runs=0 wrong=0 wrong_status0=0
for ((round = 0; round < rounds; round++)); do
  work=$scratch/work$round logs=$scratch/logs$round
  mkdir "$work" "$logs"
  cp examples/*.txt examples/*.coef "$work/"
  for stem in "${stems[@]}"; do
    (status=0
     cd "$work" && "$bin" "$stem.txt" >"$logs/$stem.stdout" 2>"$logs/$stem.stderr" || status=$?
     echo $status >"$logs/$stem.status") &
  done
  wait
  for stem in "${stems[@]}"; do
    runs=$((runs + 1))
    pinned=examples/expected/$stem bad=
    for f in "$pinned"/*; do
      name=$(basename "$f")
      case $name in
        cmd7420TmpCmdFile) continue ;;
        stdout | stderr | status) got=$logs/$stem.$name ;;
        *) got=$work/$name ;;
      esac
      cmp -s "$f" "$got" || bad=1
    done
    for got in "$work/$stem".*; do
      [ "$got" = "$work/$stem.txt" ] || [ -e "$pinned/$(basename "$got")" ] || bad=1
    done
    if [ -n "$bad" ]; then
      wrong=$((wrong + 1))
      [ "$(cat "$logs/$stem.status")" = 0 ] && wrong_status0=$((wrong_status0 + 1))
    fi
  done
  rm -rf "$work" "$logs"
done
echo "rounds $rounds, runs $runs, wrong $wrong (of them with status 0: $wrong_status0)"
