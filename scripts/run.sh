#!/usr/bin/env bash
# Sets up what is missing, builds, and opens the program's window. Arguments
# go to the window program (--program-dir, --drive).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$(nproc)"
exec "$root/build/vaultor" "$@"
