#!/usr/bin/env bash
# Sets up the machine, builds Atlume with its tests and runs the whole suite.
#   tools/test.sh             Qt 5, normal build in build/
#   tools/test.sh --sanitize  Qt 5, AddressSanitizer and UndefinedBehaviorSanitizer build in build-sanitize/
#   tools/test.sh --qt6       Qt 6, normal build in build-qt6/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

build="$root/build"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DATLUME_WERROR=ON)
extra_packages=()
case "${1:-}" in
--sanitize)
    build="$root/build-sanitize"
    options=(-DCMAKE_BUILD_TYPE=Debug -DATLUME_SANITIZE=ON -DATLUME_WERROR=ON)
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:fast_unwind_on_malloc=0"
    export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    ;;
--qt6)
    build="$root/build-qt6"
    options+=(-DATLUME_QT_MAJOR=6)
    extra_packages=(qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-5compat-dev
                    qt6-tools-dev qt6-l10n-tools qt6-translations-l10n)
    ;;
esac
bash "$root/tools/install-deps.sh" "${extra_packages[@]}"

cmake -S "$root" -B "$build" "${options[@]}"
cmake --build "$build" -j"$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
