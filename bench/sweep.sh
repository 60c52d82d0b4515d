#!/usr/bin/env bash
# Times a sweep: a family of control files (the largest example with
# channel A tuned elsewhere in each) compiled by separate cmd7420 processes,
# one per control file, and by one process given all of them when the build
# takes several control files. Reports wall and CPU time (of the processes,
# from wait4) per configuration. Every round starts in a fresh directory,
# made before the timed part, and the modes take turns round by round.
#
#   bench/sweep.sh [-n CONFIGURATIONS] [-r ROUNDS] [BIN]
#       (defaults: 1000 configurations, 3 rounds, build/cmd7420 or $CMD7420_BIN)
#
# Every configuration replaces the temporary command file of the one before,
# so ext4 spends part of each file creation on skipping the inodes freed
# moments ago: that cost belongs to a sweep in one directory and is measured
# with it.
set -euo pipefail
cd "$(dirname "$0")/.."

configs=1000 rounds=3
while getopts n:r: opt; do
  case $opt in
    n) configs=$OPTARG ;;
    r) rounds=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
bin=$(realpath "${1:-${CMD7420_BIN:-build/cmd7420}}")
[ -x "$bin" ] || { echo "$bin: not built" >&2; exit 1; }

exec python3 - "$configs" "$rounds" "$PWD/examples" "$bin" <<'EOF'
import os, shutil, statistics, sys, tempfile, time

configs, rounds, examples, binary = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4]
devnull = os.open(os.devnull, os.O_WRONLY)
quiet = [(os.POSIX_SPAWN_DUP2, devnull, 1), (os.POSIX_SPAWN_DUP2, devnull, 2)]
names = [f"sweep{i:04d}.txt" for i in range(configs)]

def family(path):
    os.mkdir(path)
    for f in ("rx4_agc.txt", "rx127.coef"):
        shutil.copyfile(os.path.join(examples, f), os.path.join(path, f))
    for i, name in enumerate(names):
        with open(os.path.join(path, name), "w") as f:
            f.write(f"include rx4_agc.txt\nchannel 0\nfreq {5.0 + 40.0 * i / configs:.2f}\n")

def run(argv, cwd):
    """Wall and CPU time in seconds and the exit status of one process."""
    os.chdir(cwd)
    t0 = time.perf_counter()
    pid = os.posix_spawn(argv[0], argv, os.environ, file_actions=quiet)
    _, status, ru = os.wait4(pid, 0)
    return time.perf_counter() - t0, ru.ru_utime + ru.ru_stime, os.waitstatus_to_exitcode(status)

scratch = tempfile.mkdtemp(prefix="cmd7420_sweep_")
try:
    # Several control files in one invocation, where the build takes them.
    probe = os.path.join(scratch, "probe")
    family(probe)
    several = run([binary] + names[:2], probe)[2] == 0
    modes = ["separate"] + (["one invocation"] if several else [])
    for r in range(rounds):
        for m in modes:
            family(os.path.join(scratch, f"{m[0]}{r}"))
    os.sync()
    load = open("/proc/loadavg").read().split()[:3]
    results = {m: [] for m in modes}
    for r in range(rounds):
        for m in (modes if r % 2 == 0 else modes[::-1]):
            cwd = os.path.join(scratch, f"{m[0]}{r}")
            if m == "separate":
                wall = cpu = 0.0
                for name in names:
                    w, c, status = run([binary, name], cwd)
                    wall, cpu = wall + w, cpu + c
            else:
                wall, cpu, status = run([binary] + names, cwd)
            results[m].append((wall / configs, cpu / configs))
    print(f"sweep        {configs} configurations, {rounds} rounds, {binary}")
    print(f"load average {' '.join(load)} (1, 5, 15 min, at the start)")
    for m in modes:
        wall = statistics.median(w for w, _ in results[m]) * 1e3
        cpu = statistics.median(c for _, c in results[m]) * 1e3
        print(f"{m:15} per configuration: wall {wall:.3f} ms, CPU {cpu:.3f} ms (medians of the rounds)")
    if not several:
        print("one invocation: this build takes one control file per run")
    else:
        s, o = (statistics.median(w for w, _ in results[m]) for m in modes)
        print(f"separate / one invocation, wall per configuration: {s / o:.2f}")
finally:
    os.chdir("/")
    shutil.rmtree(scratch, ignore_errors=True)
EOF
