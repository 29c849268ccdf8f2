#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, and runs each on a copy of its
# seed corpus for a bounded time. Fails when any target finds a fault.
#   tools/fuzz.sh [seconds-per-target] [target...]    (default: 60 s, every target)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(framing replies portconf wificonf settingsfiles atcommands receiveviews)

bash "$root/tools/install-deps.sh"

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
install_missing() {
    local missing=()
    for package in "$@"; do
        dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends \
        "${missing[@]}"
}
# The compiler first: the libFuzzer and sanitizer runtimes must match its
# version, and its package only recommends them. llvm-symbolizer puts files
# and lines into the reports.
install_missing clang
version=$(clang -dumpversion | cut -d. -f1)
install_missing "libclang-rt-$version-dev" "llvm-$version"

build="$root/build-fuzz"
cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DATLUME_WERROR=ON
cmake --build "$build" -j"$(nproc)"

export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp:print_suppressions=0"
export ASAN_SYMBOLIZER_PATH="/usr/bin/llvm-symbolizer-$version"
# The file target saves through QSaveFile, which syncs every file to disk.
[ -w /dev/shm ] && export TMPDIR=/dev/shm

failed=()
for target in "${targets[@]}"; do
    # Grown inputs stay in the build folder, never in the checkout.
    corpus="$build/corpus/$target"
    mkdir -p "$corpus" "$build/crashes"
    cp "$root/fuzz/corpus/$target"/* "$corpus/"
    # Qt has no frame pointers: only the slow unwinder reaches past its
    # frames to the name that lsan.supp matches. It costs a tenfold, so only
    # the target that reads JSON from files pays it; the others parse in
    # memory, where Qt's own leak is kept out of the count.
    # AddressSanitizer's default quarantine (256 MiB) and its filling of every
    # new block make each of the many small allocations of an input touch
    # fresh pages, which took most of the time; 16 MiB still holds the blocks
    # freed over many inputs, so a use after free within one is still caught.
    asan="quarantine_size_mb=16:max_malloc_fill_size=0"
    case $target in
        settingsfiles) asan+=":fast_unwind_on_malloc=0:malloc_context_size=255" ;;
    esac
    options=(-max_total_time="$seconds" -timeout=30 -print_final_stats=1
             -artifact_prefix="$build/crashes/$target-")
    [ -f "$root/fuzz/$target.dict" ] && options+=(-dict="$root/fuzz/$target.dict")
    echo "== fuzz_$target for $seconds s"
    ASAN_OPTIONS=$asan "$build/fuzz_$target" "${options[@]}" "$corpus" || failed+=("$target")
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found faults in: ${failed[*]} (inputs in $build/crashes/)"
    exit 1
fi
echo "fuzzing found no fault in: ${targets[*]}"
