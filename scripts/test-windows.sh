#!/usr/bin/env bash
# Cross-builds the core (transport, protocol, engine) and its tests for 64-bit
# Windows with mingw-w64 into build-win/ and runs them through CTest under
# Wine, in a private Wine prefix under build-win/. The Win32 connector tests
# talk to COM12, a pseudo-terminal on the Linux side whose far end sends every
# byte back (tests/transport/win32/com_echo_peer.py). Wine and the peer are
# stopped on every way out. Any missing tool or failing test fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh

for tool in x86_64-w64-mingw32-g++-posix wine wineserver wineboot python3 cmake ninja ctest timeout; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "test-windows.sh: '$tool' not found; scripts/install-deps.sh should have installed it" >&2
    exit 1
  fi
done
if [ ! -f /usr/src/googletest/CMakeLists.txt ]; then
  echo "test-windows.sh: GoogleTest sources missing in /usr/src/googletest (package googletest)" >&2
  exit 1
fi

jobs=$(nproc 2>/dev/null || echo 2)
if [ "$jobs" -gt 2 ]; then jobs=2; fi
build="$root/build-win"
echo_com=12

echo "== build (core for Windows, mingw-w64) =="
# -O2 as in the Linux test build: GCC 12 at -O3 warns falsely (-Wrestrict)
# inside std::string concatenation.
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DKORVAN_CORE_ONLY=ON -DKORVAN_BUILD_SIM=OFF >/dev/null
cmake --build "$build" -j "$jobs"

export WINEPREFIX="$build/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No .NET or HTML engine: nothing here needs them, and their installers
# would ask for downloads.
export WINEDLLOVERRIDES="mscoree,mshtml="

peer_pid=""
ctest_pid=""
stop_all() {
  local rc=$?
  if [ -n "$ctest_pid" ]; then
    kill "$ctest_pid" 2>/dev/null || true
    wait "$ctest_pid" 2>/dev/null || true
  fi
  if [ -n "$peer_pid" ]; then
    kill "$peer_pid" 2>/dev/null || true
    wait "$peer_pid" 2>/dev/null || true
  fi
  timeout 30 wineserver -k </dev/null >/dev/null 2>&1 || true
  timeout 30 wineserver -w </dev/null >/dev/null 2>&1 || true
  exit "$rc"
}
trap stop_all EXIT
trap 'exit 130' INT TERM

echo "== Wine (prefix $WINEPREFIX) =="
# A server left by an earlier, interrupted run would hold stale state.
timeout 30 wineserver -k </dev/null >/dev/null 2>&1 || true
mkdir -p "$WINEPREFIX"
# Wine's helper processes inherit every open descriptor; CTest would wait
# for ever on pipes they hold, so they get none of ours.
wineserver -p </dev/null >/dev/null 2>&1
timeout 180 wineboot -i </dev/null >/dev/null 2>&1

dosdevices="$WINEPREFIX/dosdevices"
# The connector tests need a port number that leads nowhere.
rm -f "$dosdevices/com250"
python3 tests/transport/win32/com_echo_peer.py "$dosdevices/com$echo_com" --lifetime 1800 \
  </dev/null >"$build/com-echo-peer.log" 2>&1 &
peer_pid=$!
for _ in $(seq 100); do
  grep -q '^ready$' "$build/com-echo-peer.log" 2>/dev/null && break
  kill -0 "$peer_pid" 2>/dev/null || break
  sleep 0.1
done
if ! grep -q '^ready$' "$build/com-echo-peer.log" 2>/dev/null; then
  echo "test-windows.sh: the COM$echo_com peer did not start:" >&2
  cat "$build/com-echo-peer.log" >&2
  exit 1
fi

echo "== tests (core for Windows, under Wine) =="
export KORVAN_ECHO_COM=$echo_com
# In the background, so that an interrupt stops the run at once instead of
# after the last test.
timeout --kill-after=30 1200 ctest --test-dir "$build" --output-on-failure -j "$jobs" </dev/null &
ctest_pid=$!
wait "$ctest_pid"
