#!/usr/bin/env bash
# Builds Velmora (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF >/dev/null
cmake --build build/release --target velmora -j "$(nproc)"
exec build/release/app/velmora "$@"
