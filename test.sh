#!/usr/bin/env bash
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer and runs them;
# builds the benchmarks in Release (they are not run here).
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
jobs=${VELMORA_JOBS:-$(nproc)}   # fewer when several builds share the machine

cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_WERROR=ON \
      -DVELMORA_TESTS=ON -DVELMORA_BENCH=OFF >/dev/null
cmake --build build/asan -j "$jobs"

cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DVELMORA_WERROR=ON \
      -DVELMORA_TESTS=OFF -DVELMORA_BENCH=ON >/dev/null
cmake --build build/bench -j "$jobs"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build/asan --output-on-failure -j "$jobs"
