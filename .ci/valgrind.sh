#!/usr/bin/env bash
# Runs every test program of the suite under valgrind memcheck, two at a time, and fails on any
# memory error or definite leak, also in the processes they start (morvane-keytool). Tests that
# are shell scripts (the X11 and package tests) run no code of ours directly and are left out.
#
# Environment:
#   MORVANE_VALGRIND_BUILD_DIR  build directory (default build-valgrind)
#   MORVANE_VALGRIND_TESTS      regular expression of test names (default: all test programs)
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
build_dir="$(realpath -m "${MORVANE_VALGRIND_BUILD_DIR:-build-valgrind}")"

# Optimised with debug information, without sanitizers, which do not mix with valgrind.
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_SANITIZE=OFF \
  -DMORVANE_BUILD_TESTS=ON >/dev/null
cmake --build "$build_dir" -j2

logs="$build_dir/valgrind"
rm -rf "$logs"
mkdir -p "$logs"

ctest --test-dir "$build_dir" --show-only=json-v1 >"$logs/tests.json"
python3 - "$build_dir" "$logs" "$repo/.ci/valgrind.supp" "${MORVANE_VALGRIND_TESTS:-.}" <<'PY'
import concurrent.futures, glob, json, os, re, subprocess, sys, time

build_dir, logs, suppressions, selection = sys.argv[1:5]
tests = json.load(open(os.path.join(logs, "tests.json")))["tests"]

def runs_our_program(test):
    command = test.get("command") or []
    return bool(command) and os.path.realpath(command[0]).startswith(build_dir + os.sep)

def run(test):
    name = test["name"]
    properties = {p["name"]: p["value"] for p in test.get("properties", [])}
    env = dict(os.environ)
    for assignment in properties.get("ENVIRONMENT", []):
        key, _, value = assignment.partition("=")
        env[key] = value
    test_logs = os.path.join(logs, name)
    os.makedirs(test_logs)
    command = [
        "valgrind", "--quiet", "--error-exitcode=99", "--leak-check=full",
        "--show-leak-kinds=definite,indirect", "--errors-for-leak-kinds=definite,indirect",
        "--track-origins=yes", f"--suppressions={suppressions}",
        "--trace-children=yes", "--trace-children-skip=*/sh,*/bash,*/dash,*/env",
        f"--log-file={test_logs}/%p.log",
    ] + test["command"]
    started = time.monotonic()
    result = subprocess.run(command, cwd=properties.get("WORKING_DIRECTORY"), env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    elapsed = time.monotonic() - started
    with open(os.path.join(logs, name + ".out"), "wb") as out:
        out.write(result.stdout)
    reports = [path for path in glob.glob(os.path.join(test_logs, "*.log"))
               if os.path.getsize(path) > 0]
    return name, result.returncode, reports, elapsed

selected = [t for t in tests if runs_our_program(t) and re.search(selection, t["name"])]
failed = []
with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
    for name, status, reports, elapsed in pool.map(run, selected):
        clean = status == 0 and not reports
        print(f"{'clean ' if clean else 'FAILED'} {name} ({elapsed:.0f} s)", flush=True)
        if not clean:
            failed.append(name)
            if status != 0:
                print(f"  exit status {status}; output in {logs}/{name}.out")
            for path in reports:
                print(f"  valgrind report {path}:")
                print(open(path, errors="replace").read())
if failed:
    print("valgrind: findings in " + ", ".join(failed))
    sys.exit(1)
print(f"valgrind: {len(selected)} test programs clean")
PY
