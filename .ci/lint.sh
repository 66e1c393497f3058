#!/usr/bin/env bash
# Static checks of the project's own code: clang-tidy (rules in .clang-tidy), cppcheck and
# clang-format on the C++, shellcheck (warnings and errors) on the shell scripts. Any finding
# exits non-zero; every check always runs.
#
# Environment:
#   MORVANE_LINT_BUILD_DIR  configured build for compile_commands.json (default build-lint)
#   MORVANE_LINT_ONLY       "tidy", "cppcheck", "format" or "shell" to run one (default: all)
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo" || exit 1

build_dir="$(realpath -m "${MORVANE_LINT_BUILD_DIR:-build-lint}")"
only="${MORVANE_LINT_ONLY:-}"
failed=()

# Tracked sources only: build trees, generated moc and resource files are not ours to lint.
mapfile -t sources < <(git ls-files '*.cpp')
mapfile -t headers < <(git ls-files '*.h')
mapfile -t source_dirs < <(printf '%s\n' "${sources[@]}" "${headers[@]}" | xargs -n1 dirname | sort -u)

# A missing tool fails its check, so that nothing passes unexamined.
need() {
  command -v "$1" >/dev/null || { echo "$1 is not installed"; return 1; }
}

run_tidy() {
  echo "== clang-tidy"
  need clang++-14 && need clang-tidy-14 && need run-clang-tidy-14 || return 1
  # clang, so that the fuzz targets configure; benchmarks when Google Benchmark is installed.
  local benchmarks=OFF
  if [[ -e /usr/include/benchmark/benchmark.h ]]; then benchmarks=ON; fi
  CC=clang-14 CXX=clang++-14 cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DCMAKE_GLOBAL_AUTOGEN_TARGET=ON -DMORVANE_BUILD_TESTS=ON \
    -DMORVANE_BUILD_BENCHMARKS="$benchmarks" -DMORVANE_SANITIZE=ON -DMORVANE_BUILD_FUZZERS=ON \
    >/dev/null || return 1
  # Sources that include their moc output need it generated first (CMake's global "autogen"
  # target runs every target's moc); nothing else is compiled.
  cmake --build "$build_dir" -j2 --target autogen >/dev/null || return 1

  local missing=()
  for source in "${sources[@]}"; do
    grep -qF "\"file\": \"$repo/$source\"" "$build_dir/compile_commands.json" || missing+=("$source")
  done
  if ((${#missing[@]} > 0)); then
    echo "not in any target, so not analysed: ${missing[*]}"
  fi

  local dirs_regex
  dirs_regex="$(printf '%s\n' "${source_dirs[@]}" | grep -v '^\.$' | paste -sd'|')"
  local log="$build_dir/clang-tidy.log"
  run-clang-tidy-14 -p "$build_dir" -j2 -quiet -clang-tidy-binary clang-tidy-14 \
    "^$repo/($dirs_regex)/[^/]+\\.cpp\$" >"$log" 2>&1
  local status=$?
  if ((status != 0)) || grep -qE '(warning|error):' "$log"; then
    grep -E '(warning|error):' "$log" | sed -E 's/\x1b\[[0-9;]*m//g' | sort -u
    echo "clang-tidy: findings above (full log: $log)"
    return 1
  fi
  echo "clang-tidy: clean"
}

run_cppcheck() {
  echo "== cppcheck"
  need cppcheck || return 1
  local includes=()
  for dir in "${source_dirs[@]}"; do includes+=(-I "$dir"); done
  # missingIncludeSystem: system and Qt headers are left out on purpose (the qt library file
  # describes Qt's macros); useStlAlgorithm: a style preference, not a fault.
  cppcheck --std=c++20 --language=c++ --platform=unix64 --library=qt \
    --enable=warning,style,performance,portability --inline-suppr --error-exitcode=1 --quiet \
    --suppress=missingIncludeSystem --suppress=useStlAlgorithm --suppress=unmatchedSuppression \
    -j2 --template='{file}:{line}: {severity}: {message} [{id}]' \
    "${includes[@]}" "${sources[@]}" 2>&1 || { echo "cppcheck: findings above"; return 1; }
  echo "cppcheck: clean"
}

run_format() {
  echo "== clang-format"
  need clang-format-14 || return 1
  clang-format-14 --dry-run --Werror "${sources[@]}" "${headers[@]}" 2>&1 ||
    { echo "clang-format: run clang-format-14 -i on the files above"; return 1; }
  echo "clang-format: clean"
}

run_shell() {
  echo "== shellcheck"
  need shellcheck || return 1
  local scripts
  mapfile -t scripts < <(git ls-files '*.sh' .ci/run)
  shellcheck --external-sources --severity=warning "${scripts[@]}" || { echo "shellcheck: findings above"; return 1; }
  echo "shellcheck: clean"
}

for check in tidy cppcheck format shell; do
  if [[ -z "$only" || "$only" == "$check" ]]; then
    "run_$check" || failed+=("$check")
  fi
done

if ((${#failed[@]} > 0)); then
  echo "lint failed: ${failed[*]}"
  exit 1
fi
echo "lint clean"
