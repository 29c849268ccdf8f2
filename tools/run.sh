#!/usr/bin/env bash
# Sets up the machine, builds Atlume and starts it from its build folder,
# where ./conf/ holds its data files and per-port settings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build "$root/build" -j"$(nproc)"
cd "$root/build"
exec ./atlume "$@"
