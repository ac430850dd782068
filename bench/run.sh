#!/usr/bin/env bash
# Builds and runs the benchmark; pass a folder on the file system to measure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target vaultor_bench
"$root/build/vaultor_bench" "$@"
