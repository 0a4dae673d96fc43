#!/usr/bin/env bash
# Builds everything and runs every test through CTest, then builds the core
# and its tests once more with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs those. Any failing test or sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)

echo "== build (all) =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
echo "== tests (all) =="
ctest --test-dir build --output-on-failure -j "$jobs"
scripts/test-package.sh build  # the .deb: built, listed, unpacked, its korvan run

echo "== build (core, address and undefined-behaviour sanitizers) =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVAN_CORE_ONLY=ON -DKORVAN_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
echo "== tests (core, sanitizers) =="
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE nosan
scripts/test-windows.sh  # the core cross-built for Windows and tested under Wine; a missing tool or failing test fails the run
