#!/usr/bin/env bash
# Sets up the machine, builds Atlume (Release, without the tests) and starts
# it from its build folder, build-release/, where ./conf/ holds its data files
# and per-port settings.
#
# A simulated module (atlume-sim) runs beside it, listed as ttySIM0 in the
# port list, so that there is something to talk to without hardware; it ends
# with Atlume. --no-sim leaves it out; every other argument goes to Atlume.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

with_sim=1
arguments=()
for argument in "$@"; do
    case "$argument" in
    --no-sim) with_sim=0 ;;
    *) arguments+=("$argument") ;;
    esac
done

bash "$root/tools/install-deps.sh"
# A folder of its own, apart from tools/test.sh's build/ with its tests and
# another build type: running the one after the other rebuilds neither.
build="$root/build-release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build "$build" -j"$(nproc)"
cd "$build"

sim="$build/simulator/atlume-sim"
if [ "$with_sim" -eq 0 ] || [ ! -x "$sim" ]; then
    exec ./atlume "${arguments[@]+"${arguments[@]}"}"
fi

# Not joined to Wi-Fi nor to the cloud: the whole flow is there to walk.
# Its log of what it receives goes to a file, not over Atlume's terminal.
log="$build/atlume-sim.log"
"$sim" </dev/null >/dev/null 2>"$log" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT
# Atlume lists ports once at start: wait until the module has announced itself.
for _ in $(seq 50); do
    grep -q "in Atlume's port list" "$log" 2>/dev/null && break
    kill -0 "$sim_pid" 2>/dev/null || { cat "$log" >&2; exit 1; }
    sleep 0.1
done
echo "A simulated module is listed as $(grep -o 'ttySIM[0-9]*' "$log" | head -n1); its log is $log"
./atlume "${arguments[@]+"${arguments[@]}"}"
