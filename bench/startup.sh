#!/usr/bin/env bash
# Start-up measured under Xvfb, beside a bare Qt Widgets window in the same run:
# process start to first window mapped, the splash's hand-over to the main window, and
# the resident memory of each once idle. Usage: bench/startup.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=ON >/dev/null
cmake --build build/bench -j "$(nproc)" --target velmora bare_window >/dev/null

display=:$((50 + RANDOM % 50))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
config=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$config"' EXIT
export DISPLAY=$display XDG_CONFIG_HOME=$config
sleep 0.5

now_ms() { date +%s%3N; }
# Milliseconds from `start` until the process shows a window whose name matches the
# pattern, polled with one xdotool call every few milliseconds.
mapped_after() { # pid [--name|--class] pattern start
    until xdotool search --all --onlyvisible --pid "$1" "$2" "$3" >/dev/null 2>&1; do sleep 0.002; done
    echo $(($(now_ms) - $4))
}
rss_kb() { awk '/VmRSS/ {print $2}' "/proc/$1/status"; }

# Seed the settings so the first-run notice does not stop the hand-over.
mkdir -p "$config/velmora"
printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Settings]\n"Entry"="1"\n' > "$config/velmora/registry.reg"

for i in $(seq "$runs"); do
    start=$(now_ms); build/bench/bench/bare_window & bare=$!
    bare_ms=$(mapped_after $bare --name "^bare window" "$start"); sleep 1; bare_rss=$(rss_kb $bare); kill $bare; wait $bare 2>/dev/null || true

    start=$(now_ms); build/bench/app/velmora & app=$!
    # The caption-less splash is the program's first visible window.
    splash_ms=$(mapped_after $app --class "^velmora$" "$start")
    main_ms=$(mapped_after $app --name "^(Velmora v|Работаем)" "$start")
    sleep 1; app_rss=$(rss_kb $app); kill $app; wait $app 2>/dev/null || true

    echo "run $i: bare window $bare_ms ms, $bare_rss kB | splash $splash_ms ms, main window +$((main_ms - splash_ms)) ms, $app_rss kB"
done
