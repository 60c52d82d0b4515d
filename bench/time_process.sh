#!/usr/bin/env bash
# Times whole cmd7420 processes on an example against the floor of the job:
# `cp` of the same output bytes (the run's six outputs and the temporary
# command file) into an empty directory.
#
#   bench/time_process.sh [-n ROUNDS] [-e EXAMPLE] [BIN...]
#       (defaults: 200 rounds, rx4_agc.txt, build/cmd7420 or $CMD7420_BIN)
#
# Each round runs every BIN once and the floor once, in an order that
# rotates from round to round, so that a change of load falls on all of them
# alike; several binaries (a build before a change and one after it) are
# thus compared in one session. Every run creates its files afresh: all
# directories are made before the timed loop and removed after it, since
# deleting files between runs makes the file system work on those deletions
# while the next run is timed.
#
# Per binary: wall time and CPU time (user + system of the process, from
# wait4, which a loaded machine disturbs much less than the wall time) as
# median and spread (p10, p90), each also as the median of the per-round
# ratios to the floor; the peak memory (maximum resident set size, from GNU
# time, whose own footprint before exec is below 1 MiB) of a few runs.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=200 example=rx4_agc.txt
while getopts n:e: opt; do
  case $opt in
    n) rounds=$OPTARG ;;
    e) example=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -gt 0 ] || set -- "${CMD7420_BIN:-build/cmd7420}"
bins=()
for b in "$@"; do
  [ -x "$b" ] || { echo "$b: not built" >&2; exit 1; }
  bins+=("$(realpath "$b")")
done

exec python3 - "$rounds" "$example" "$PWD/examples" "${bins[@]}" <<'EOF'
import os, shutil, statistics, subprocess, sys, tempfile, time

rounds, example, examples = int(sys.argv[1]), sys.argv[2], sys.argv[3]
bins = sys.argv[4:]
inputs = [f for f in sorted(os.listdir(examples)) if f.endswith((".txt", ".coef"))]
devnull = os.open(os.devnull, os.O_WRONLY)
quiet = [(os.POSIX_SPAWN_DUP2, devnull, 1), (os.POSIX_SPAWN_DUP2, devnull, 2)]

def fresh_dir(path, with_inputs):
    os.mkdir(path)
    if with_inputs:
        for f in inputs:
            shutil.copyfile(os.path.join(examples, f), os.path.join(path, f))

def spawn(argv, cwd):
    """Wall and CPU time in microseconds, and the exit status, of one process."""
    os.chdir(cwd)
    t0 = time.perf_counter_ns()
    pid = os.posix_spawn(argv[0], argv, os.environ, file_actions=quiet)
    _, status, ru = os.wait4(pid, 0)
    t1 = time.perf_counter_ns()
    return (t1 - t0) / 1000, (ru.ru_utime + ru.ru_stime) * 1e6, os.waitstatus_to_exitcode(status)

scratch = tempfile.mkdtemp(prefix="cmd7420_time_")
try:
    # One run of each binary outside the loop: its outputs (the floor copies
    # those of the first binary) and a check that all binaries agree.
    outputs = None
    for i, b in enumerate(bins):
        ref = os.path.join(scratch, f"ref{i}")
        fresh_dir(ref, True)
        spawn([b, example], ref)
        made = {f: open(os.path.join(ref, f), "rb").read()
                for f in sorted(os.listdir(ref)) if f not in inputs}
        if outputs is None:
            outputs, ref0 = made, ref
        elif made != outputs:
            print(f"warning: {b} writes other outputs than {bins[0]}", file=sys.stderr)
    copy_argv = [shutil.which("cp")] + [os.path.join(ref0, f) for f in outputs] + ["."]

    kinds = list(range(len(bins))) + ["cp"]
    for r in range(rounds):
        for k in kinds:
            fresh_dir(os.path.join(scratch, f"r{r}_{k}"), k != "cp")
    os.sync()
    load_before = open("/proc/loadavg").read().split()[:3]
    wall = {k: [] for k in kinds}
    cpu = {k: [] for k in kinds}
    for r in range(rounds):
        shift = r % len(kinds)
        for k in kinds[shift:] + kinds[:shift]:
            cwd = os.path.join(scratch, f"r{r}_{k}")
            argv = copy_argv if k == "cp" else [bins[k], example]
            w, c, status = spawn(argv, cwd)
            if k == "cp" and status != 0:
                sys.exit("cp failed")
            wall[k].append(w)
            cpu[k].append(c)
    load_after = open("/proc/loadavg").read().split()[:3]

    def peak_kib(b):
        runs = []
        for i in range(5):
            cwd = os.path.join(scratch, f"mem_{b}_{i}")
            fresh_dir(cwd, b != "cp")
            argv = copy_argv if b == "cp" else [bins[b], example]
            p = subprocess.run(["/usr/bin/time", "-f", "%M"] + argv, cwd=cwd,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
            runs.append(int(p.stderr.strip().splitlines()[-1]))
        return statistics.median(runs)

    def pct(values, p):
        v = sorted(values)
        return v[int((len(v) - 1) * p / 100)]

    def spread(values, unit_scale=1000, unit="ms"):
        return (f"{statistics.median(values) / unit_scale:.3f} {unit} "
                f"(p10 {pct(values, 10) / unit_scale:.3f}, p90 {pct(values, 90) / unit_scale:.3f})")

    def ratio(k, times):
        return statistics.median(a / b for a, b in zip(times[k], times["cp"]))

    size = sum(len(t) for t in outputs.values())
    print(f"example      {example}: {len(outputs)} files, {size} bytes written")
    print(f"rounds       {rounds}, order rotating over {len(kinds)} kinds per round")
    print(f"load average {' '.join(load_before)} before, {' '.join(load_after)} after (1, 5, 15 min)")
    for k in kinds:
        name = "cp (floor)" if k == "cp" else bins[k]
        print(f"\n{name}")
        print(f"  wall   {spread(wall[k])}")
        print(f"  CPU    {spread(cpu[k])}")
        if k != "cp":
            print(f"  ratio to cp, median of the rounds: wall {ratio(k, wall):.3f}, CPU {ratio(k, cpu):.3f}")
        print(f"  peak memory {peak_kib(k):.0f} KiB (median of 5 runs)")
finally:
    os.chdir("/")
    shutil.rmtree(scratch, ignore_errors=True)
EOF
