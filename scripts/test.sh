#!/usr/bin/env bash
# Builds everything and runs every test through CTest, the core's tests once
# more in a Russian process, then builds the core and its tests once more with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs those, then fuzzes
# the parsers of line bytes. Any failing test, sanitizer report or fuzzer
# finding fails the run.
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
# The same core executables once more in a Russian process: numbers on the
# line and in the files must not follow the user's decimal comma.
echo "== tests (core, Russian locale LC_ALL=ru_RU.UTF-8) =="
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
  echo "the ru_RU.UTF-8 locale is missing (scripts/install-deps.sh generates it)" >&2
  exit 1
fi
LC_ALL=ru_RU.UTF-8 ctest --test-dir build --output-on-failure -j "$jobs" -L core

echo "== build (core, address and undefined-behaviour sanitizers) =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVAN_CORE_ONLY=ON -DKORVAN_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
echo "== tests (core, sanitizers) =="
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE nosan
scripts/test-windows.sh  # the core cross-built for Windows and tested under Wine; a missing tool or failing test fails the run
