#!/usr/bin/env bash
# Times morvane-keytool as whole processes against the tools it is measured by, in paired runs:
# each round starts both commands one right after the other (in turns, which one first), so that
# both meet the same load, and a target is judged by the median of the rounds' ratios.
#   one key, generate against `pwgen -s 12 1`: at most 1.5 x the time;
#   10,000 keys, generate --count 10000 --length 12 against `pwgen -s 12 10000`: at least 15 x
#     quicker;
#   score on one line of 4,000,000 characters against `wc -m`: at most 1.2 x, from a file and
#     through a pipe;
#   report --json on 1,000,000 short lines: at most 1.5 x the processor time of report;
#   memory of score, report and report --json on lines up to the limit of 64 MiB: a peak of at
#     most 3 x the line + 32 MiB.
# Prints the load of the machine before and after. Builds nothing.
#
# Usage: bench/keytool_processes.sh BIN_DIR [ROUNDS]     (e.g. build/bin; 31 rounds by default)
set -euo pipefail

if [[ $# -lt 1 || ! -x "$1/morvane-keytool" ]]; then
  echo "usage: $0 BIN_DIR [ROUNDS]   (the directory holding a built morvane-keytool)" >&2
  exit 2
fi
for tool in pwgen wc python3; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is not installed" >&2; exit 2; }
done

keytool="$(cd "$1" && pwd)/morvane-keytool"
rounds="${2:-31}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# wc -m counts characters only in a UTF-8 locale; in C it counts bytes.
export LC_ALL=C.UTF-8

# Inputs. Lines of 4,000,000 characters: random lower-case letters, and "a" 3,999,999 times then
# "b" (the worst case for a repetition test). For memory: lines of random control characters
# (each written as a four-character escape by report, six by report --json) just over 32 MiB,
# where the reader's buffer has just doubled, and of exactly 64 MiB, the limit. And 1,000,000
# short keys. (tr ends on a broken pipe once head has enough, which is no failure here.)
line_of() {  # line_of SET BYTES FILE
  (set +o pipefail; LC_ALL=C tr -dc "$1" </dev/urandom | head -c "$2" >"$3")
  echo >>"$3"
}
line_of '[:lower:]' 4000000 "$work/random-letters.txt"
{ head -c 3999999 /dev/zero | LC_ALL=C tr '\0' 'a'; echo b; } >"$work/a-then-b.txt"
line_of '\001-\011\013-\037' $((32 * 1048576 + 1)) "$work/controls-32MiB+1.txt"
line_of '\001-\011\013-\037' $((64 * 1048576)) "$work/controls-64MiB.txt"
(set +o pipefail; LC_ALL=C tr -dc 'A-Za-z0-9!' </dev/urandom | head -c 10000000 |
  fold -w 10 >"$work/short-keys.txt")
echo

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 minutes; $(nproc) processors)"
status=0
python3 - "$keytool" "$work" "$rounds" <<'PYTHON' || status=$?
import os, statistics, sys, time

keytool, work, rounds = sys.argv[1], sys.argv[2], int(sys.argv[3])
failures = 0


def run(stages, stdin=None):
    """Runs a pipeline of argument lists, standard input from the file `stdin`, the last
    output to /dev/null; returns (seconds, processor seconds, peak resident KiB of the last)."""
    null = os.open(os.devnull, os.O_WRONLY)
    source = os.open(stdin, os.O_RDONLY) if stdin else os.open(os.devnull, os.O_RDONLY)
    pids, start = [], time.perf_counter()
    for index, arguments in enumerate(stages):
        if index + 1 < len(stages):
            read_end, write_end = os.pipe()
        else:
            read_end, write_end = None, null
        actions = [(os.POSIX_SPAWN_DUP2, source, 0), (os.POSIX_SPAWN_DUP2, write_end, 1)]
        pids.append(os.posix_spawnp(arguments[0], arguments, os.environ, file_actions=actions))
        os.close(source)
        if read_end is not None:
            os.close(write_end)
            source = read_end
    cpu, peak = 0.0, 0
    for pid in pids:
        _, status, usage = os.wait4(pid, 0)
        cpu += usage.ru_utime + usage.ru_stime
        peak = usage.ru_maxrss
    seconds = time.perf_counter() - start
    os.close(null)
    return seconds, cpu, peak


def paired(first, second, stdin=None, measure=0):
    """Median of `second` / `first` over rounds run in turns; measure 0: time, 1: processor."""
    ratios, a_values, b_values = [], [], []
    for _ in range(3):  # warm-up: files in the page cache, programs loaded
        run(first, stdin), run(second, stdin)
    for number in range(rounds):
        if number % 2 == 0:
            a, b = run(first, stdin)[measure], run(second, stdin)[measure]
        else:
            b, a = run(second, stdin)[measure], run(first, stdin)[measure]
        a_values.append(a), b_values.append(b), ratios.append(b / a)
    return statistics.median(ratios), statistics.median(a_values), statistics.median(b_values)


def judge(name, ratio, limit, at_most=True):
    global failures
    met = ratio <= limit if at_most else ratio >= limit
    failures += not met
    print(f"  {name:<48} {ratio:7.2f} x  (target: at {'most' if at_most else 'least'} "
          f"{limit} x)  {'met' if met else 'MISSED'}")


def ms(seconds):
    return f"{seconds * 1000:8.2f} ms"


print(f"\nmorvane-keytool: {keytool}\n{rounds} paired rounds each; medians\n")

print("one key: generate against pwgen -s 12 1")
ratio, a, b = paired([["pwgen", "-s", "12", "1"]], [[keytool, "generate"]])
print(f"  pwgen {ms(a)}, keytool {ms(b)}")
judge("generate / pwgen -s 12 1", ratio, 1.5)

print("10,000 keys: generate --count 10000 --length 12 against pwgen -s 12 10000")
ratio, a, b = paired([["pwgen", "-s", "12", "10000"]],
                     [[keytool, "generate", "--count", "10000", "--length", "12"]])
print(f"  pwgen {ms(a)}, keytool {ms(b)}")
judge("pwgen -s 12 10000 / generate --count 10000", 1 / ratio, 15, at_most=False)

print("score on one line of 4,000,000 characters against wc -m")
for name in ("random-letters", "a-then-b"):
    path = f"{work}/{name}.txt"
    ratio, a, b = paired([["wc", "-m"]], [[keytool, "score"]], stdin=path)
    print(f"  {name}, from a file: wc -m {ms(a)}, keytool {ms(b)}")
    judge(f"score / wc -m ({name}, file)", ratio, 1.2)
    ratio, a, b = paired([["cat", path], ["wc", "-m"]], [["cat", path], [keytool, "score"]])
    print(f"  {name}, through a pipe: wc -m {ms(a)}, keytool {ms(b)}")
    judge(f"score / wc -m ({name}, pipe)", ratio, 1.2)

print("processor time on 1,000,000 short keys: report --json against report")
ratio, a, b = paired([[keytool, "report"]], [[keytool, "report", "--json"]],
                     stdin=f"{work}/short-keys.txt", measure=1)
print(f"  report {ms(a)}, report --json {ms(b)}")
judge("report --json / report", ratio, 1.5)

print("peak memory, against 3 x the line + 32 MiB")
for name in ("random-letters", "controls-32MiB+1", "controls-64MiB"):
    path = f"{work}/{name}.txt"
    line_kib = (os.path.getsize(path) - 1) / 1024
    for command in (["score"], ["report"], ["report", "--json"]):
        peak = max(run([[keytool] + command], stdin=path)[2] for _ in range(3))
        print(f"  {' '.join(command)}, {name}: peak {peak / 1024:.1f} MiB for a line of "
              f"{line_kib / 1024:.1f} MiB")
        judge("  of 3 x the line + 32 MiB", peak / (3 * line_kib + 32 * 1024), 1.0)

sys.exit(1 if failures else 0)
PYTHON
echo
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
exit "$status"
