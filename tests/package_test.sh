#!/usr/bin/env bash
# The packages as a user gets them: `cmake --install`, the Debian package installed with
# dpkg and run from /usr/bin, and the Windows zip unpacked and run under Wine.
# It installs and then removes the screen-size package, so it runs as root (CI does).
# usage: package_test.sh BUILD_DIR
source "$(dirname "$0")/lib.sh"
build=$(cd "$1" && pwd)
[ "$(id -u)" -eq 0 ] || skip_or_fail "the package check installs a .deb: run it as root"
require_tool cpack cmake
require_tool dpkg-shlibdeps dpkg-dev
require_tool unzip unzip
require_tool man man-db
require_tool Xvfb xvfb
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || skip_or_fail "$wine not found; install the Debian package wine64"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
# A monitor with an EDID, which the programs from both packages must find.
sample='{ "inch": 23.532921, "screenWidth": 521, "screenHeight": 293 }'
start_xvfb -screen 0 1600x900x24 -dpi 96
DISPLAY=$display "$build/tests/plant_edid" "$(dirname "$0")/edid/samsung-c24f390.bin" || exit 1

# cmake --install
prefix=$work_dir/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/screen-size share/man/man1/screen-size.1 share/doc/screen-size/README.md \
    share/doc/screen-size/LICENSE; do
    check "installed: $file" yes "$([ -f "$prefix/$file" ] && echo yes)"
done

# The Debian package.
(cd "$build" && cpack -G DEB >/dev/null) || exit 1
deb=$build/screen-size_${version}_amd64.deb
check "the .deb is named with the version" yes "$([ -f "$deb" ] && echo yes)"
depends=$(dpkg-deb -f "$deb" Depends)
check "it depends on no X library: $depends" "" "$(grep -oiE 'x11|xcb|xrandr' <<<"$depends")"
check "it recommends the X libraries it loads" "libxcb1, libxcb-randr0" "$(dpkg-deb -f "$deb" Recommends)"
dpkg -i "$deb" >/dev/null || exit 1
trap 'dpkg -r screen-size >/dev/null; cleanup' EXIT
check "installed from the .deb: the line on Xvfb" "$sample" "$(DISPLAY=$display /usr/bin/screen-size)"
check "installed from the .deb: the same line as the build without a display" \
    "$(env -u DISPLAY "$build/screen-size")" "$(env -u DISPLAY /usr/bin/screen-size)"
check "man screen-size finds its page" /usr/share/man/man1/screen-size.1 "$(man -w screen-size)"

# The Windows zip.
(cd "$build/windows" && cpack -G ZIP >/dev/null) || exit 1
zip=$build/windows/screen-size-$version-win64.zip
unzip -q "$zip" -d "$work_dir/zip" || exit 1
check "the zip holds the program, README and licence" "LICENSE README.md screen-size.exe" \
    "$(cd "$work_dir/zip" && ls | sort | tr '\n' ' ' | sed 's/ $//')"
export WINEPREFIX=$work_dir/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
check "the zip's program under Wine" "$sample" \
    "$(DISPLAY=$display "$wine" "$work_dir/zip/screen-size.exe" 2>/dev/null | tr -d '\r')"
/usr/lib/wine/wineserver -k 2>/dev/null

finish
