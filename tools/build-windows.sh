#!/usr/bin/env bash
# Cross-builds Atlume for 64-bit Windows on Debian with MinGW-w64.
#
#   tools/build-windows.sh THIRD_PARTY [--qt-only]
#
# THIRD_PARTY is the folder holding qtserialport-everywhere-src-5.15.8.tar.xz
# (or that archive itself). Debian ships no Qt for MinGW, so the first run
# builds a static Qt Base from Debian's own source package and Qt Serial Port
# from that archive, and keeps them under ~/.cache/atlume/ (or
# $ATLUME_CACHE): about half an hour on two cores. Later runs find them there
# by a key made of everything that went into them and take minutes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

third_party=${1:?usage: tools/build-windows.sh THIRD_PARTY_DIR_OR_QTSERIALPORT_ARCHIVE [--qt-only]}
qt_only=false
[ "${2:-}" = --qt-only ] && qt_only=true

qt_version=5.15.8
serialport_archive=$third_party
[ -d "$third_party" ] &&
    serialport_archive=$third_party/qtserialport-everywhere-src-$qt_version.tar.xz
serialport_archive=$(readlink -f "$serialport_archive")
[ -f "$serialport_archive" ] || { echo "no $serialport_archive" >&2; exit 1; }

# perl runs Qt's header generator; xvfb-run, wine64 and the fonts serve the
# tests that follow the build.
bash "$root/tools/install-deps.sh" g++-mingw-w64-x86-64-posix dpkg-dev perl xz-utils zip \
    wine64 xvfb xauth fonts-wqy-zenhei

cross=x86_64-w64-mingw32
cache=${ATLUME_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/atlume}
jobs=${ATLUME_WINDOWS_JOBS:-2}

qt_configure_flags=(-xplatform win32-g++ -device-option CROSS_COMPILE=$cross-
    -opensource -confirm-license -release -static -static-runtime
    -nomake examples -nomake tests -no-opengl -no-dbus -no-icu
    -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz
    -no-fontconfig -no-feature-tabletevent
    -no-sql-sqlite -no-sql-odbc -no-sql-psql -no-sql-mysql)

# Everything that changes the built Qt changes its folder name.
qt_key=$({ echo "qtbase $qt_version"
           printf '%s\n' "${qt_configure_flags[@]}"
           "$cross-g++-posix" --version | head -n 1
           sha256sum <"$serialport_archive"; } | sha256sum | cut -c 1-12)
qt_prefix=$cache/qt-$qt_version-mingw-static-$qt_key

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Debian's Qt Base source with Debian's patches, the same 5.15.8 its Linux
# packages are built from.
fetch_qtbase_source() {
    local into=$1
    if ! apt-cache showsrc qtbase-opensource-src 2>/dev/null | grep -q '^Package:'; then
        local codename
        codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
        as_root tee /etc/apt/sources.list.d/atlume-deb-src.sources >/dev/null <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
        as_root apt-get -o DPkg::Lock::Timeout=600 update
    fi
    mkdir -p "$into"
    (cd "$into" && apt-get source --only-source qtbase-opensource-src)
}

build_qtbase() {
    [ -f "$qt_prefix/.qtbase-installed" ] && return
    local work=$cache/work-qtbase-$qt_key
    local source
    # A build that was interrupted after its configure goes on where it stopped.
    if [ ! -f "$work/build/.configured" ]; then
        rm -rf "$work"
        fetch_qtbase_source "$work/src"
    fi
    source=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d -name "qtbase-opensource-src-$qt_version*")
    [ -d "$source" ] || { echo "Debian's source is not Qt Base $qt_version" >&2; exit 1; }
    mkdir -p "$work/build"
    if [ ! -f "$work/build/.configured" ]; then
        (cd "$work/build" && nice -n 5 "$source/configure" -prefix "$qt_prefix" "${qt_configure_flags[@]}")
        touch "$work/build/.configured"
    fi
    (cd "$work/build" && nice -n 5 make -j"$jobs" && make install)
    basename "$source" >"$qt_prefix/.qtbase-installed"
    rm -rf "$work"
}

build_qtserialport() {
    [ -f "$qt_prefix/.qtserialport-installed" ] && return
    local work=$cache/work-qtserialport-$qt_key
    rm -rf "$work"
    mkdir -p "$work/build"
    tar -xf "$serialport_archive" -C "$work"
    # The archive is a tag of the module's repository, without the forwarding
    # headers that Qt's release archives carry: have qmake generate them as
    # it does for a checkout.
    (cd "$work/build" &&
        "$qt_prefix/bin/qmake" CONFIG+=git_build "$work/qtserialport-everywhere-src-$qt_version" &&
        nice -n 5 make -j"$jobs" &&
        make install)
    basename "$serialport_archive" >"$qt_prefix/.qtserialport-installed"
    rm -rf "$work"
}

SECONDS=0
build_qtbase
build_qtserialport
echo "Qt for Windows ready in $qt_prefix (${SECONDS}s)"
$qt_only && exit 0

# Atlume itself, with the tests that need no pseudo-terminal. Under Wine,
# CTest runs each test program through it (tools/test-windows.sh).
build=${ATLUME_WINDOWS_BUILD:-$root/build-windows}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# The catalogue is compiled by this machine's Qt Linguist, which writes the
# same files for every platform.
linguist=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake/Qt5LinguistTools
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/dist/windows/mingw-w64-x86_64.cmake" \
    -DCMAKE_PREFIX_PATH="$qt_prefix" -DQt5LinguistTools_DIR="$linguist" \
    -DCMAKE_BUILD_TYPE=Release -DATLUME_WERROR=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" "${launcher[@]}"
nice -n 5 cmake --build "$build" -j"$jobs"

# Qt's own texts (standard buttons, context menus) in the user's language:
# Debian's catalogues of the same Qt, found through a qt.conf beside each
# program, in the build folder as in the zip.
qt_catalogues=/usr/share/qt5/translations
for dir in "$build" "$build/tests"; do
    mkdir -p "$dir/qttranslations"
    cp "$qt_catalogues"/qtbase_*.qm "$dir/qttranslations/"
    printf '[Paths]\r\nPrefix = .\r\nTranslations = qttranslations\r\n' >"$dir/qt.conf"
done

# Windows' own DLLs only: Qt and the C++ runtime are inside the executable.
imports=$("$cross-objdump" -p "$build/atlume.exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
if grep -Eiq '^(libstdc|libgcc|libwinpthread|qt5)' <<<"$imports"; then
    echo "atlume.exe needs DLLs beside it:" $imports >&2
    exit 1
fi

# The zip: one folder holding the program, qt.conf and the catalogues of Qt's
# own texts, its conf/, a README, Atlume's licence and complete source, and
# the licence texts of the Qt it carries.
version=$(sed -n 's/^project(Atlume VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=atlume-$version-windows-x86_64
stage=$build/zip/$name
rm -rf "$build/zip" "$build/$name.zip"
mkdir -p "$stage/conf/portConf" "$stage/licenses/qt"
cp -r "$build/atlume.exe" "$build/qt.conf" "$build/qttranslations" "$stage/"
cp "$root/conf/vertical_scroll_bar_style.qss" "$root/conf/SmartConfig_wifi_guid.png" \
    "$root/conf/softAP_wifi_guid.png" "$stage/conf/"
homepage=$(sed -n 's/^set(ATLUME_HOMEPAGE "\([^"]*\)".*/\1/p' "$root/dist/CMakeLists.txt")
sed -e "s/@VERSION@/$version/g" -e "s|@HOMEPAGE@|$homepage|g" "$root/dist/windows/README.txt" |
    sed 's/$/\r/' >"$stage/README.txt"
sed 's/$/\r/' "$root/LICENSE" >"$stage/LICENSE.txt"
# The source the program was built from, uncommitted changes to tracked files
# included; outside a git checkout, the tree as it is.
source_archive=$stage/atlume-$version-source.tar.gz
if tree=$(git -C "$root" stash create 2>/dev/null) && git -C "$root" rev-parse -q --verify HEAD >/dev/null; then
    git -C "$root" archive --format=tar.gz --prefix="atlume-$version/" -o "$source_archive" "${tree:-HEAD}"
else
    tar -czf "$source_archive" -C "$(dirname "$root")" --exclude='build*' \
        --transform "s|^$(basename "$root")|atlume-$version|" "$(basename "$root")"
fi
tar -xJf "$serialport_archive" -C "$stage/licenses/qt" --strip-components=1 \
    --wildcards "*/LICENSE.GPL3" "*/LICENSE.LGPL3" "*/LICENSE.GPL2"
(cd "$build/zip" && TZ=UTC zip -qrX "../$name.zip" "$name")
echo "Windows build of Atlume $version: $build/$name.zip (${SECONDS}s in all)"
