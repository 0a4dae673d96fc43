#!/usr/bin/env bash
# Builds the tool and the device simulator and starts the tool on the
# simulated detector: the simulator serves COM1 (device line), COM2 (HART)
# and COM3 (multigas) in a private config folder made for this run, whose
# settings name those ports, so the user's own settings and port links stay
# untouched. Closing the tool stops the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."

# The tool is a desktop window: without a display there is nothing to show
# it on, so say so before building anything.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'MSG'
No display found: the tool opens a desktop window and needs one.
Run the demo from a desktop session, or on a virtual display, for example:
  xvfb-run -a scripts/demo.sh          (Debian: apt-get install xvfb xauth)
or without any window at all (the tool runs, nothing is shown; Ctrl+C ends it):
  QT_QPA_PLATFORM=offscreen scripts/demo.sh
MSG
  exit 1
fi

scripts/install-deps.sh
root=$(pwd)
. scripts/compiler-cache.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -G Ninja "${korvan_cmake_launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs" --target detector-sim KorvanSensorSetup

sim=build/sim/detector-sim
tool=build/src/app/KorvanSensorSetup
for f in "$sim" "$tool"; do
  if [ ! -x "$f" ]; then
    echo "$f was not built; see the build output above." >&2
    exit 1
  fi
done

demo_home=$(mktemp -d /tmp/korvan-demo-XXXXXX)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  sim_pid=""
  rm -rf "$demo_home"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# Both the tool and the simulator find the port links and the settings here.
export XDG_CONFIG_HOME="$demo_home"

"$sim" --ports-dir "$demo_home/Korvan/ports" --device-port 1 --hart-port 2 --multigas-port 3 &
sim_pid=$!
for _ in $(seq 1 50); do
  [ -e "$demo_home/Korvan/ports/com1" ] && break
  sleep 0.1
done
if [ ! -e "$demo_home/Korvan/ports/com1" ]; then
  echo "The device simulator did not bring its lines up; see its output above." >&2
  exit 1
fi

# Settings that name the simulator's ports, in the private folder only.
mkdir -p "$demo_home/Korvan"
cat > "$demo_home/Korvan/KorvanSensorSetup.conf" <<CONF
[Connection]
ModbusPort=1
HartPort=2
MgPort=3
CONF

echo "The simulated detector serves COM1 (device), COM2 (HART) and COM3 (multigas)."
echo "Closing the tool's window ends the demo."
"$tool"
