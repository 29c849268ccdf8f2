#!/bin/sh
# Installs the build into a scratch DESTDIR, checks the tree, then starts the
# installed command the way a new user would, with a home of its own.
#   install_test.sh CMAKE BUILD_DIR BINDIR LIBEXECDIR DATADIR MANDIR
# The directories are the build's absolute install directories, which is why
# dist/CMakeLists.txt, where they are known, registers this test.
set -eu
cmake=$1 build=$2 bindir=$3 libexecdir=$4 datadir=$5 mandir=$6
id=io.github.atlume.Atlume

scratch=$(mktemp -d)
pid=
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null || :; rm -rf "$scratch"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

root=$scratch/root
DESTDIR=$root "$cmake" --install "$build" >/dev/null

for file in "$bindir/atlume" "$libexecdir/atlume" "$bindir/atlume-sim"; do
    { [ -f "$root$file" ] && [ -x "$root$file" ]; } || fail "$file is not an executable file"
done
for file in conf/vertical_scroll_bar_style.qss conf/SmartConfig_wifi_guid.png \
    conf/softAP_wifi_guid.png; do
    cmp -s "$root$datadir/atlume/$file" "$(dirname "$0")/../$file" || fail "$file not installed"
done
for file in applications/$id.desktop metainfo/$id.metainfo.xml \
    icons/hicolor/scalable/apps/$id.svg icons/hicolor/48x48/apps/$id.png \
    icons/hicolor/128x128/apps/$id.png icons/hicolor/256x256/apps/$id.png; do
    [ -s "$root$datadir/$file" ] || fail "$file not installed"
done
grep -qx 'Exec=atlume' "$root$datadir/applications/$id.desktop" || fail "desktop entry runs no atlume"
gzip -dc "$root$mandir/man1/atlume.1.gz" | grep -q '^\.TH ATLUME 1' || fail "no man page"
gzip -dc "$root$mandir/man1/atlume-sim.1.gz" | grep -q '^\.TH ATLUME\\-SIM 1' ||
    fail "no man page of atlume-sim"
"$root$bindir/atlume-sim" --help | grep -q -- '--broker' || fail "atlume-sim --help says nothing of --broker"

# Starts the installed command and waits until the program has made
# portConf/ in its working folder, which shows where it runs.
start() {
    QT_QPA_PLATFORM=offscreen "$root$bindir/atlume" &
    pid=$!
    tries=0
    until [ -d "$work/conf/portConf" ]; do
        kill -0 "$pid" 2>/dev/null || fail "the program did not start"
        tries=$((tries + 1))
        [ "$tries" -lt 600 ] || fail "the program made no conf/portConf/ in $work"
        sleep 0.1
    done
}
stop() {
    kill "$pid"
    wait "$pid" 2>/dev/null || :
    pid=
}

export HOME="$scratch/home"
unset XDG_DATA_HOME
work=$HOME/.local/share/atlume
mkdir "$HOME"

# A new user: the folder is made and given the shipped files.
start
stop
for file in vertical_scroll_bar_style.qss SmartConfig_wifi_guid.png softAP_wifi_guid.png; do
    cmp -s "$work/conf/$file" "$root$datadir/atlume/conf/$file" || fail "$file not copied"
done

# A user with a style sheet and Wi-Fi settings of their own keeps them.
rm -r "$work/conf/portConf" "$work/conf/softAP_wifi_guid.png"
echo '/* mine */' >"$work/conf/vertical_scroll_bar_style.qss"
echo '{"ssid":"mine"}' >"$work/conf/config.json"
start
stop
cmp -s "$work/conf/softAP_wifi_guid.png" "$root$datadir/atlume/conf/softAP_wifi_guid.png" ||
    fail "a missing picture was not copied again"
[ "$(cat "$work/conf/vertical_scroll_bar_style.qss")" = '/* mine */' ] ||
    fail "the user's style sheet was replaced"
[ "$(cat "$work/conf/config.json")" = '{"ssid":"mine"}' ] || fail "the user's config.json changed"
[ ! -e "$work/conf/softAPConf.json" ] || fail "softAPConf.json was made"
echo "install test passed"
