#!/usr/bin/env bash
# Times whole cmd7420 processes on an example against the floor of the job:
# a trivial process (cp) that writes the same output bytes, the finished
# run's outputs copied into a fresh directory. Each run is paired with one
# floor run right after it, and both start in fresh directories, so both
# create their files rather than rewrite them. Wall-clock time is what a
# user waits; where perf is installed, each pair is run once more under
# "perf stat -e task-clock" for the CPU time of both processes, which a
# loaded machine disturbs much less. Also reports the peak memory of one run
# (/usr/bin/time -v).
#
#   bench/time_process.sh [runs] [example]      (defaults: 200 rx4_agc.txt)
#
# Run from the source tree after building; CMD7420_BIN names another binary
# to time instead of build/cmd7420.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-200}
example=${2:-rx4_agc.txt}
bin=$(realpath "${CMD7420_BIN:-build/cmd7420}")
stem=${example%%.*}
[ -x "$bin" ] || { echo "$bin: not built" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

now_us() { local t=${EPOCHREALTIME/./}; echo "${t#0}"; }

# The task-clock of a "perf stat -x," report, in microseconds.
task_clock_us() { awk -F, '/task-clock/ {printf "%d\n", $1 * 1000}' "$1"; }

perf=
if command -v perf >/dev/null && perf stat -e task-clock -o /dev/null true 2>/dev/null; then perf=1; fi

run_times=() floor_times=() ratios=() run_cpu=() floor_cpu=() cpu_ratios=()
for ((i = 0; i < runs; i++)); do
  work=$scratch/run$i copy=$scratch/copy$i
  mkdir "$work" "$copy"
  cp examples/*.txt examples/*.coef "$work/"

  t0=$(now_us)
  (cd "$work" && "$bin" "$example" >/dev/null 2>&1)
  t1=$(now_us)
  outputs=("$work"/"$stem".{anl,dbg,kx330,sim,tbl,h} "$work"/cmd7420TmpCmdFile)
  t2=$(now_us)
  cp "${outputs[@]}" "$copy/"
  t3=$(now_us)

  run_times+=($((t1 - t0)))
  floor_times+=($((t3 - t2)))
  ratios+=($(((t1 - t0) * 1000 / (t3 - t2))))
  rm -rf "$work" "$copy"

  if [ -n "$perf" ]; then
    mkdir "$work" "$copy"
    cp examples/*.txt examples/*.coef "$work/"
    (cd "$work" && perf stat -x, -e task-clock -o "$scratch/cpu" -- "$bin" "$example" >/dev/null 2>&1)
    run_cpu+=($(task_clock_us "$scratch/cpu"))
    perf stat -x, -e task-clock -o "$scratch/cpu" -- cp "${outputs[@]}" "$copy/"
    floor_cpu+=($(task_clock_us "$scratch/cpu"))
    cpu_ratios+=($((run_cpu[-1] * 1000 / floor_cpu[-1])))
    rm -rf "$work" "$copy"
  fi
done

# The p-th percentile (0..100) of the numbers given.
percentile() {
  local p=$1
  shift
  printf '%s\n' "$@" | sort -n | awk -v p="$p" '{v[NR] = $1} END {i = int((NR - 1) * p / 100) + 1; print v[i]}'
}

mkdir "$scratch/mem"
cp examples/*.txt examples/*.coef "$scratch/mem/"
peak_kib=$(cd "$scratch/mem" && /usr/bin/time -v "$bin" "$example" 2>&1 >/dev/null |
  awk -F': ' '/Maximum resident set size/ {print $2}')
bytes=$(cat "$scratch/mem"/"$stem".{anl,dbg,kx330,sim,tbl,h} "$scratch/mem"/cmd7420TmpCmdFile | wc -c)

echo "example            $example ($runs paired runs, $bytes output bytes)"
echo "cmd7420 wall time  median $(percentile 50 "${run_times[@]}") us  (p10 $(percentile 10 "${run_times[@]}"), p90 $(percentile 90 "${run_times[@]}"))"
echo "floor (cp) wall    median $(percentile 50 "${floor_times[@]}") us  (p10 $(percentile 10 "${floor_times[@]}"), p90 $(percentile 90 "${floor_times[@]}"))"
r=$(percentile 50 "${ratios[@]}")
echo "wall run / floor   median of the pairs $((r / 1000)).$(printf '%03d' $((r % 1000)))"
if [ -n "$perf" ]; then
  echo "cmd7420 CPU time   median $(percentile 50 "${run_cpu[@]}") us  (p10 $(percentile 10 "${run_cpu[@]}"), p90 $(percentile 90 "${run_cpu[@]}"))"
  echo "floor CPU time     median $(percentile 50 "${floor_cpu[@]}") us  (p10 $(percentile 10 "${floor_cpu[@]}"), p90 $(percentile 90 "${floor_cpu[@]}"))"
  r=$(percentile 50 "${cpu_ratios[@]}")
  echo "CPU run / floor    median of the pairs $((r / 1000)).$(printf '%03d' $((r % 1000)))"
fi
echo "peak memory        $peak_kib KiB (maximum resident set size)"
echo "load average       $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min, at the end)"
