#!/usr/bin/env bash
# Cross-builds the core (transport, protocol, engine) and its tests for 64-bit
# Windows with mingw-w64 into build-win/ and runs them through CTest under
# Wine, in a private Wine prefix under build-win/. The Win32 connector tests
# talk to COM12, a pseudo-terminal on the Linux side whose far end sends every
# byte back (tests/transport/win32/com_echo_peer.py). The masters and the
# engine (tests/windows/) talk to the Linux detector-sim serving
# tests/windows/wine-sim.ini on COM21 (device line), COM22 (HART) and COM23
# (multigas). Then the user interface: Qt for Windows from
# scripts/build-qt-windows.sh (built once, kept in the user's cache), the
# program and its UI tests cross-built against it into build-win-ui/, the
# tests run under Wine on Qt's offscreen platform against the same
# simulator, KorvanSensorSetup-win64.zip packed and, unpacked into a fresh
# folder and a fresh Wine prefix, started with --version. The window tests
# that run the simulator in their own process get null-modem pairs of COM
# ports (tests/windows/com_pair_bridge.py). Wine, the peer, the pairs and
# the simulator are stopped on every way out. Any missing tool, a Qt that
# cannot be built, a simulator that does not come up or a failing test fails
# the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh
. scripts/compiler-cache.sh

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
sim_device_com=21
sim_hart_com=22
sim_multigas_com=23
sim_scenario="$root/tests/windows/wine-sim.ini"

echo "== build (core for Windows, mingw-w64) =="
# -O2 as in the Linux test build: GCC 12 at -O3 warns falsely (-Wrestrict)
# inside std::string concatenation.
cmake -S . -B "$build" -G Ninja "${korvan_cmake_launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DKORVAN_CORE_ONLY=ON -DKORVAN_BUILD_SIM=OFF >/dev/null
cmake --build "$build" -j "$jobs"

# detector-sim runs on the Linux side. scripts/test.sh has built it into
# build/ just before; that one is taken as long as nothing it is built from
# changed since, and build/ is left alone either way (others may be building
# there). Otherwise only the simulator is built, into build-win-sim/.
sim_exe="$root/build/sim/detector-sim"
if [ ! -x "$sim_exe" ] ||
   [ -n "$(find sim src/protocol src/transport cmake CMakeLists.txt -newer "$sim_exe" -print -quit)" ]; then
  echo "== build (detector-sim for Linux, into build-win-sim/) =="
  cmake -S . -B "$root/build-win-sim" -G Ninja "${korvan_cmake_launcher[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DKORVAN_CORE_ONLY=ON -DKORVAN_BUILD_TESTS=OFF >/dev/null
  cmake --build "$root/build-win-sim" --target detector-sim -j "$jobs"
  sim_exe="$root/build-win-sim/sim/detector-sim"
fi
echo "simulator: $sim_exe"

export WINEPREFIX="$build/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No .NET or HTML engine: nothing here needs them, and their installers
# would ask for downloads.
export WINEDLLOVERRIDES="mscoree,mshtml="

peer_pid=""
sim_pid=""
bridge_pid=""
ctest_pid=""
fresh_prefix=""
# Asks a child of this script to end, and kills it if it has not after a
# few seconds.
stop_child() {
  local pid=$1
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
stop_all() {
  local rc=$?
  if [ -n "$ctest_pid" ]; then
    # timeout passes the signal on, and kills CTest if it does not listen.
    kill "$ctest_pid" 2>/dev/null || true
    wait "$ctest_pid" 2>/dev/null || true
  fi
  if [ -n "$sim_pid" ]; then
    # On SIGTERM the simulator removes its links itself.
    stop_child "$sim_pid"
  fi
  if [ -n "$peer_pid" ]; then
    stop_child "$peer_pid"
  fi
  if [ -n "$bridge_pid" ]; then
    stop_child "$bridge_pid"
  fi
  if [ -n "$fresh_prefix" ]; then
    WINEPREFIX="$fresh_prefix" timeout 30 wineserver -k </dev/null >/dev/null 2>&1 || true
  fi
  timeout 30 wineserver -k </dev/null >/dev/null 2>&1 || true
  timeout 30 wineserver -w </dev/null >/dev/null 2>&1 || true
  exit "$rc"
}
# Waits up to 10 s for a helper (pid $1) to print "ready" into its log ($2);
# fails the run with $3 and the log when it does not.
await_ready() {
  for _ in $(seq 100); do
    grep -q '^ready$' "$2" 2>/dev/null && return 0
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  grep -q '^ready$' "$2" 2>/dev/null && return 0
  echo "test-windows.sh: $3:" >&2
  cat "$2" >&2
  exit 1
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
await_ready "$peer_pid" "$build/com-echo-peer.log" "the COM$echo_com peer did not start"

# The simulated detector. Links left by a killed run would be taken for the
# new ones.
for n in $sim_device_com $sim_hart_com $sim_multigas_com; do
  rm -f "$dosdevices/com$n"
done
sim_log="$build/detector-sim.log"
"$sim_exe" --ports-dir "$dosdevices" --device-port $sim_device_com --hart-port $sim_hart_com \
  --multigas-port $sim_multigas_com --scenario "$sim_scenario" </dev/null >"$sim_log" 2>&1 &
sim_pid=$!
sim_up() {
  grep -q '^Serving' "$sim_log" 2>/dev/null &&
    [ -L "$dosdevices/com$sim_device_com" ] && [ -L "$dosdevices/com$sim_hart_com" ] &&
    [ -L "$dosdevices/com$sim_multigas_com" ]
}
for _ in $(seq 100); do
  sim_up && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.1
done
if ! sim_up || ! kill -0 "$sim_pid" 2>/dev/null; then
  echo "test-windows.sh: detector-sim did not come up on COM$sim_device_com, COM$sim_hart_com and" \
       "COM$sim_multigas_com in $dosdevices:" >&2
  cat "$sim_log" >&2
  exit 1
fi
sed 's/^/  /' "$sim_log"

echo "== tests (core for Windows, under Wine) =="
export KORVAN_ECHO_COM=$echo_com
export KORVAN_SIM_DEVICE_COM=$sim_device_com
export KORVAN_SIM_HART_COM=$sim_hart_com
export KORVAN_SIM_MULTIGAS_COM=$sim_multigas_com
# In the background, so that an interrupt stops the run at once instead of
# after the last test. Now and then Wine fails to start a test process at all
# (the test "fails" in no time without a line of output); such a test gets
# one more run. A test that really fails fails both times.
timeout --kill-after=30 1200 ctest --test-dir "$build" --output-on-failure -j "$jobs" \
  --repeat until-pass:2 </dev/null &
ctest_pid=$!
wait "$ctest_pid"
ctest_pid=""

# --- the user interface --------------------------------------------------------
echo "== Qt for Windows (scripts/build-qt-windows.sh) =="
# The first run builds it (15 to 40 minutes on two cores); later runs find it
# in the cache at once.
if ! qt_out=$(scripts/build-qt-windows.sh); then
  echo "test-windows.sh: Qt for Windows could not be built (see the messages above); the user interface is not tested" >&2
  exit 1
fi
qt_prefix=$(printf '%s\n' "$qt_out" | tail -n 1)
if [ ! -f "$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
  echo "test-windows.sh: scripts/build-qt-windows.sh named '$qt_prefix', which holds no Qt" >&2
  exit 1
fi
echo "Qt: $qt_prefix"

build_ui="$root/build-win-ui"
echo "== build (user interface for Windows, into build-win-ui/) =="
cmake -S . -B "$build_ui" -G Ninja "${korvan_cmake_launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64-qt.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DKORVAN_BUILD_SIM=ON -DKORVAN_BUILD_CORE_TESTS=OFF >/dev/null
cmake --build "$build_ui" -j "$jobs"
cmake --build "$build_ui" --target windows_zip
zip_file="$build_ui/KorvanSensorSetup-win64.zip"

# The tests load Qt's DLLs (and the compiler's runtime DLLs kept with them)
# from the Qt folder, and its plugins from beside those. The offscreen
# platform draws text with FreeType from the fonts in QT_QPA_FONTDIR: DejaVu,
# which has the Cyrillic letters. Wine hands no variable named QT_* on to a
# Windows program: the tests take the folder from KORVAN_TEST_FONT_DIR.
fonts="$build_ui/fonts"
mkdir -p "$fonts"
cp /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf "$fonts/"
export WINEPATH
WINEPATH=$(winepath -w "$qt_prefix/bin" 2>/dev/null)
export KORVAN_TEST_FONT_DIR
KORVAN_TEST_FONT_DIR=$(winepath -w "$fonts" 2>/dev/null)
# Wine runs one program after the other here: a window program started
# before the last one's end finds the server busy.
timeout 30 wineserver -w </dev/null >/dev/null 2>&1 || true

# The window tests of app/, pages/ and workspace/ run the simulator inside
# the test process on the far ends of null-modem pairs: the program opens
# COM1-3, the simulator serves COM101-103.
bridge_log="$build_ui/com-pair-bridge.log"
python3 tests/windows/com_pair_bridge.py "$dosdevices" 1:101 2:102 3:103 --lifetime 3600 \
  </dev/null >"$bridge_log" 2>&1 &
bridge_pid=$!
await_ready "$bridge_pid" "$bridge_log" "the COM port pairs did not come up"

echo "== tests (user interface for Windows, under Wine, offscreen) =="
# What one start of a window program costs under Wine on this machine (each
# window-test executable is one process that runs all its cases).
start_ns=$(date +%s%N)
(cd "$build_ui/tests/workspace" && timeout 300 wine ./graph_tests.exe --gtest_list_tests \
  </dev/null >/dev/null 2>&1) || true
echo "one window program started and ended under Wine in $(( ($(date +%s%N) - start_ns) / 1000000 )) ms"
# One executable at a time: most share the pairs and the registry key
# anyway, and a window program started beside another now and then did not
# end after its tests had passed, which cost the whole timeout.
timeout --kill-after=30 1800 ctest --test-dir "$build_ui" --output-on-failure -j 1 \
  --repeat until-pass:2 </dev/null &
ctest_pid=$!
wait "$ctest_pid"
ctest_pid=""
picture="$build_ui/tests/windows/ui/artifacts/main-window-wine.png"
if [ ! -s "$picture" ]; then
  echo "test-windows.sh: the tests left no picture of the main window ($picture)" >&2
  exit 1
fi
echo "picture of the main window under Wine: $picture"

echo "== the zip, unpacked into a fresh folder and a fresh Wine prefix =="
fresh="$build_ui/fresh"
rm -rf "$fresh"
mkdir -p "$fresh/unpacked"
(cd "$fresh/unpacked" && cmake -E tar xf "$zip_file")
fresh_prefix="$fresh/wineprefix"
mkdir -p "$fresh_prefix"
(
  export WINEPREFIX="$fresh_prefix"
  unset WINEPATH KORVAN_TEST_FONT_DIR
  wineserver -p </dev/null >/dev/null 2>&1
  timeout 180 wineboot -i </dev/null >/dev/null 2>&1
  app="$fresh/unpacked/KorvanSensorSetup-win64"
  for exe in KorvanSensorSetup korvan; do
    out="$fresh/$exe-version.txt"
    rc=0
    timeout 120 wine "$app/$exe.exe" --version </dev/null >"$out" 2>"$fresh/$exe-version.err" || rc=$?
    timeout 30 wineserver -w </dev/null >/dev/null 2>&1 || true
    if [ "$rc" -ne 0 ] || ! grep -q "^$exe 0*[0-9]" "$out"; then
      echo "test-windows.sh: $exe.exe --version from the unpacked zip gave exit $rc and:" >&2
      cat "$out" "$fresh/$exe-version.err" >&2
      exit 1
    fi
    echo "  $exe.exe --version: $(tr -d '\r' <"$out")"
  done
)
WINEPREFIX="$fresh_prefix" timeout 30 wineserver -k </dev/null >/dev/null 2>&1 || true
fresh_prefix=""
echo "Windows package: $zip_file ($(du -h "$zip_file" | cut -f1))"
