#!/usr/bin/env bash
# Runs every test program of the suite under valgrind memcheck (see .ci/memcheck.cmake) and fails
# on any memory error or definite leak.
#
# Environment:
#   MORVANE_VALGRIND_BUILD_DIR  build directory (default build-valgrind)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
ctest -S .ci/memcheck.cmake -DBUILD_DIR="$(realpath -m "${MORVANE_VALGRIND_BUILD_DIR:-build-valgrind}")"
