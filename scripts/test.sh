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
. scripts/compiler-cache.sh

jobs=$(nproc 2>/dev/null || echo 2)

echo "== build (all) =="
cmake -S . -B build -G Ninja "${korvan_cmake_launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
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
# The lost-line table waits on real line timeouts and prints no numbers: it
# runs once, in the first pass, not again here.
LC_ALL=ru_RU.UTF-8 ctest --test-dir build --output-on-failure -j "$jobs" -L core -LE line_loss
scripts/test-package.sh build  # the .deb: built, listed, unpacked, its korvan run

echo "== build (core, address and undefined-behaviour sanitizers) =="
cmake -S . -B build-asan -G Ninja "${korvan_cmake_launcher[@]}" -DCMAKE_BUILD_TYPE=Debug -DKORVAN_CORE_ONLY=ON -DKORVAN_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
echo "== tests (core, sanitizers) =="
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE nosan

# libFuzzer on the three parsers of line bytes (Modbus answers, sensor text
# answers, HART frames), clang with the address and undefined-behaviour
# sanitizers, a bounded number of runs from the committed seed corpora. A
# finding (crash, sanitizer report, leak, time-out) fails the run and leaves
# the input under build-fuzz/artifacts/.
echo "== fuzzing (line parsers, libFuzzer) =="
if ! command -v clang++ >/dev/null 2>&1 || ! command -v clang >/dev/null 2>&1; then
  echo "clang is missing: the fuzz stage needs clang and libFuzzer (scripts/install-deps.sh installs them)" >&2
  exit 1
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja "${korvan_cmake_launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVAN_CORE_ONLY=ON \
  -DKORVAN_BUILD_TESTS=OFF -DKORVAN_BUILD_SIM=OFF -DKORVAN_FUZZ=ON >/dev/null
fuzzers=(modbus_answer sensor_answer hart_frame)
cmake --build build-fuzz -j "$jobs" --target "${fuzzers[@]/#/fuzz_}"
rm -rf build-fuzz/work build-fuzz/artifacts
mkdir -p build-fuzz/artifacts
for f in "${fuzzers[@]}"; do
  mkdir -p "build-fuzz/work/$f"
  echo "-- fuzz_$f: 200000 runs"
  build-fuzz/tests/fuzz/"fuzz_$f" -runs=200000 -seed=1 -max_len=600 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix=build-fuzz/artifacts/ \
    "build-fuzz/work/$f" "tests/fuzz/corpus/$f" 2>"build-fuzz/fuzz_$f.log" ||
    { tail -n 40 "build-fuzz/fuzz_$f.log" >&2; echo "fuzz_$f found a fault; the input is in build-fuzz/artifacts/" >&2; exit 1; }
  grep -E '^Done' "build-fuzz/fuzz_$f.log" || true
done

scripts/test-windows.sh  # the core cross-built for Windows and tested under Wine; a missing tool or failing test fails the run
