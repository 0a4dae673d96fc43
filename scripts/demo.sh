#!/usr/bin/env bash
# Builds the tool and the device simulator and starts the tool on the
# simulated detector: the simulator serves COM1 (device line), COM2 (HART)
# and COM3 (multigas) in a private config folder made for this run, so the
# user's own settings and port links stay untouched.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"

sim=build/sim/detector-sim
tool=build/src/app/KorvanSensorSetup

demo_home=$(mktemp -d /tmp/korvan-demo-XXXXXX)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$demo_home"
}
trap cleanup EXIT INT TERM
export XDG_CONFIG_HOME="$demo_home"

if [ ! -x "$sim" ]; then
  echo "The device simulator is not built yet; nothing to start." >&2
  exit 1
fi

"$sim" --ports-dir "$demo_home/Korvan/ports" --device-port 1 --hart-port 2 --multigas-port 3 &
sim_pid=$!
for _ in $(seq 1 50); do
  [ -e "$demo_home/Korvan/ports/com1" ] && break
  sleep 0.1
done

if [ ! -x "$tool" ]; then
  echo "The simulated detector serves COM1 (device), COM2 (HART), COM3 (multigas)"
  echo "under XDG_CONFIG_HOME=$demo_home; the main window is not built yet."
  echo "Press Ctrl+C to stop."
  wait "$sim_pid"
  exit 0
fi

# Settings that name the simulator's ports, in the private folder only.
mkdir -p "$demo_home/Korvan"
cat > "$demo_home/Korvan/KorvanSensorSetup.conf" <<CONF
[Connection]
ModbusPort=1
HartPort=2
MgPort=3
CONF

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found. Run this under a desktop, or for example:" >&2
  echo "  xvfb-run -a scripts/demo.sh" >&2
  echo "  QT_QPA_PLATFORM=offscreen scripts/demo.sh" >&2
  exit 1
fi
"$tool"
