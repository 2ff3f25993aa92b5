#!/usr/bin/env bash
# Start-up measured under Xvfb, beside a bare Qt Widgets window in the same run: process start
# to the splash's first pixels, the splash's hand-over to the main window, and the resident
# memory once the main window has been idle a second. Usage: bench/startup.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=ON >/dev/null
cmake --build build/bench -j "${VELMORA_JOBS:-$(nproc)}" --target velmora bare_window startup_bench >/dev/null

# Without compositing, a window's pixels are drawn straight into the screen, where DAMAGE sees them.
display=:$((50 + RANDOM % 50))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -extension Composite >/dev/null 2>&1 &
xvfb=$!
config=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$config"' EXIT
mkdir -m 0700 "$config/runtime"
export DISPLAY=$display XDG_CONFIG_HOME=$config XDG_RUNTIME_DIR=$config/runtime
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# Seed the settings so the first-run notice does not stop the hand-over.
mkdir -p "$config/velmora"
printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Settings]\n"Entry"="1"\n' > "$config/velmora/registry.reg"

build/bench/bench/startup_bench --runs "$runs" \
    --ours 2 build/bench/app/velmora \
    --peer 1 build/bench/bench/bare_window
