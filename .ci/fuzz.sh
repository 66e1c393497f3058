#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time from the committed seed corpus.
# Any crash, sanitizer report, leak, timeout or failed check exits non-zero; the input that
# caused it is kept in $BUILD_DIR/fuzz-findings/.
#
# Environment:
#   MORVANE_FUZZ_SECONDS    seconds per target (default 30)
#   MORVANE_FUZZ_BUILD_DIR  build directory (default build-fuzz)
#   MORVANE_FUZZ_TARGETS    space-separated subset, e.g. "check_key key_lines" (default: all)
#   CC, CXX                 clang to use (default clang-14, clang++-14)
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

seconds="${MORVANE_FUZZ_SECONDS:-30}"
build_dir="$(realpath -m "${MORVANE_FUZZ_BUILD_DIR:-build-fuzz}")"
if [[ -n "${MORVANE_FUZZ_TARGETS:-}" ]]; then
  read -r -a targets <<<"$MORVANE_FUZZ_TARGETS"
else
  mapfile -t targets < <(ls fuzz/corpus)
fi

export CC="${CC:-clang-14}" CXX="${CXX:-clang++-14}"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMORVANE_SANITIZE=ON -DMORVANE_BUILD_FUZZERS=ON \
  -DMORVANE_BUILD_TESTS=OFF -DMORVANE_BUILD_BENCHMARKS=OFF >/dev/null
build_targets=()
for target in "${targets[@]}"; do build_targets+=("fuzz_$target"); done
cmake --build "$build_dir" -j2 --target "${build_targets[@]}"

# The run grows its corpus in a scratch copy, so the repository stays as committed.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
findings="$build_dir/fuzz-findings"
mkdir -p "$findings"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

failed=()
for target in "${targets[@]}"; do
  corpus="$work/$target"
  cp -r "fuzz/corpus/$target" "$corpus"
  echo "== fuzz_$target for ${seconds}s"
  if ! "$build_dir/bin/fuzz/fuzz_$target" "$corpus" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$findings/${target}-" -print_final_stats=1 \
      >"$work/$target.log" 2>&1; then
    failed+=("$target")
    tail -n 60 "$work/$target.log"
    echo "!! fuzz_$target found a fault; its input is in $findings/"
  else
    grep -E '^(Done|stat::number_of_executed_units)' "$work/$target.log" || true
  fi
done

if ((${#failed[@]} > 0)); then
  echo "fuzzing failed: ${failed[*]}"
  exit 1
fi
echo "fuzzing clean: ${targets[*]}"
