#!/usr/bin/env bash
# Builds the fuzz target with clang, AddressSanitizer and UndefinedBehaviorSanitizer, seeds it
# with wavgen's files and runs it for a bounded time. Any finding fails the run.
# Usage: fuzz/run.sh [SECONDS]; findings are left as build-fuzz/crash-* files.
set -euo pipefail
seconds=${1:-60}
cd "$(dirname "$0")/.."
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DTESSMAR_FUZZ=ON -DTESSMAR_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j2 --target fuzz_split wavgen
mkdir -p build-fuzz/corpus build-fuzz/seeds
build-fuzz/wavgen seeds build-fuzz/seeds
cd build-fuzz
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 fuzz/fuzz_split -max_total_time="$seconds" -max_len=16384 -timeout=10 \
  -rss_limit_mb=2048 -print_final_stats=1 corpus seeds
