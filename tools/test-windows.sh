#!/usr/bin/env bash
# Runs the Windows build of tools/build-windows.sh under Wine:
#   1. the test programs through CTest, on the offscreen platform;
#   2. the window as it starts, on Wine's own window system on a virtual X
#      display (Xvfb), its texts read back;
#   3. serial I/O through a Wine COM port (COM9) that leads to the simulated
#      module's pseudo-terminal, with commprobe, a bare Win32 program that
#      waits for received bytes as Qt Serial Port does. It documents two
#      limits of Wine's serial emulation (see README, "Windows"):
#      - over the bare pseudo-terminal, received bytes are never announced;
#      - with tests/ptymodemlines.cpp preloaded into Wine, which answers the
#        serial status requests that Wine asks of the terminal, they are;
#        but the wait, started as Qt starts it, holds its caller until bytes
#        arrive, so Atlume's window would hang in "Connect".
#      The run fails when either result changes.
# The simulated module is the Linux build's, made in build/ if it is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ATLUME_WINDOWS_BUILD:-$root/build-windows}
[ -f "$build/atlume.exe" ] || { echo "no Windows build in $build: run tools/build-windows.sh" >&2; exit 1; }
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

# A Wine prefix of its own, made once; no Mono or Gecko installer dialogs.
export WINEPREFIX=${ATLUME_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/atlume/wine}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
"$wineserver" -k 2>/dev/null || true
[ -d "$WINEPREFIX/drive_c" ] || "$wine" wineboot --init >/dev/null 2>&1
"$wineserver" -w

failed=0
SECONDS=0
stage() { echo "== Windows: $* (from ${SECONDS}s)"; }

# Wine keeps the QT_ variables of Linux away from Windows programs and passes
# WINEQT_... on under the name without WINE: the offscreen platform, with the
# fonts it reads from files (the CJK font, which has Latin too), Qt Test's
# report on stdout although Wine gives the program no console (Qt would send
# it to the debugger), and the rules of the CTest entries.
export WINEQT_QPA_PLATFORM=offscreen WINEQT_QPA_FONTDIR=Z:/usr/share/fonts/truetype/wqy
export WINEQT_FORCE_STDERR_LOGGING=1 WINEQT_LOGGING_RULES='qt.qpa.*=false'

stage "tests under Wine"
(cd "$build" && ctest --output-on-failure --no-tests=error -j2) || failed=1

stage "the window as it starts, under Wine on Xvfb"
# -platform windows: Qt's own Windows window system, on Wine's X11 driver.
if ! env -u WINEQT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$wine" "$build/tests/tst_windowstart.exe" -platform windows; then
    failed=1
fi
"$wineserver" -k 2>/dev/null || true

stage "serial I/O through a Wine COM port"
linux_build=$root/build
module=$linux_build/simulator/atlume-sim
if [ ! -x "$module" ]; then
    cmake -S "$root" -B "$linux_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DATLUME_WERROR=ON >/dev/null
    cmake --build "$linux_build" -j2 --target atlume-sim
fi
work=$(mktemp -d)
c++ -shared -fPIC -O2 -Wall -Wextra -o "$work/ptymodemlines.so" "$root/tests/ptymodemlines.cpp" -ldl

# Reached through COM9 only, so it stays out of the Linux port list.
"$module" --no-announce </dev/null >"$work/path" 2>"$work/module.log" &
module_pid=$!
cleanup() {
    kill "$module_pid" 2>/dev/null || true
    rm -f "$WINEPREFIX/dosdevices/com9"
    rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 50); do [ -s "$work/path" ] && break; sleep 0.1; done
pty=$(head -n 1 "$work/path")
[ -c "$pty" ] || { echo "the simulated module gave no terminal" >&2; exit 1; }
ln -sfn "$pty" "$WINEPREFIX/dosdevices/com9"

# Wine keeps HKLM\HARDWARE for as long as its server runs; Qt lists the
# ports named there.
with_port() {
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w
    "$wine" reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v AtlumeModule /t REG_SZ /d COM9 /f \
        >/dev/null
}

# Each probe ends with the status that shows the limit it documents; any
# other means that Wine has changed: bring the README up to date.
probe() {
    local expected=$1 over=$2 status=0
    "$wine" "$build/tests/commprobe.exe" COM9 5 || status=$?
    if [ "$status" -ne "$expected" ]; then
        echo "commprobe over $over ended with $status, not $expected: Wine has changed;" \
            "bring the README's Windows section up to date" >&2
        failed=1
    fi
}

with_port
probe 3 "the bare pseudo-terminal (received bytes never announced)"
export LD_PRELOAD=$work/ptymodemlines.so
with_port
probe 5 "the stand-in for modem lines (the wait as Qt starts it holds its caller)"
unset LD_PRELOAD
"$wineserver" -k 2>/dev/null || true
echo "-- what the module received:"
cat "$work/module.log"

echo "Windows tests took ${SECONDS}s"
exit "$failed"
