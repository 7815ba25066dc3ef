#!/usr/bin/env bash
# The packages as a distribution and a user get them: `cmake --install`; the Debian source
# package built twice in two folders (byte for byte the same), linted, its hardening checked,
# its autopkgtest run, installed with apt and run from /usr/bin; the Windows zip built twice
# (the same bytes), unpacked and run under Wine.
# It installs and then removes the screen-size package, so it runs as root (CI does).
# usage: package_test.sh BUILD_DIR
source "$(dirname "$0")/lib.sh"
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
[ "$(id -u)" -eq 0 ] || skip_or_fail "the package check installs a .deb: run it as root"
require_tool zip zip
require_tool dpkg-buildpackage dpkg-dev
require_tool dh debhelper
require_tool lintian lintian
require_tool hardening-check devscripts
require_tool autopkgtest autopkgtest
require_tool unzip unzip
require_tool man man-db
require_tool Xvfb xvfb
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || skip_or_fail "$wine not found; install the Debian package wine64"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
# Every time stamp in the packages is the last commit's.
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH
# A monitor with an EDID, which the programs from both packages must find.
sample='{ "inch": 23.532921, "screenWidth": 521, "screenHeight": 293 }'
start_xvfb -screen 0 1600x900x24 -dpi 96
DISPLAY=$display "$build/tests/plant_edid" "$root/tests/edid/samsung-c24f390.bin" || exit 1

# copy_sources DIR: the project's files (tracked, and new ones not ignored) into DIR.
copy_sources() {
    mkdir -p "$1"
    (cd "$root" && git ls-files -co --exclude-standard | tar -cf - -T -) | tar -xf - -C "$1"
}

# cmake --install
prefix=$work_dir/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/screen-size share/man/man1/screen-size.1 share/doc/screen-size/README.md \
    share/doc/screen-size/NEWS share/doc/screen-size/LICENSE; do
    check "installed: $file" yes "$([ -f "$prefix/$file" ] && echo yes)"
done

# The version is the same everywhere it is written.
check "debian/changelog's version is the project's" "$version" \
    "$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)"
check "the man page's version is the project's" ".Os screen-size $version" \
    "$(grep '^\.Os' "$root/man/screen-size.1")"
check "NEWS begins with this version" "screen-size $version" "$(head -n 1 "$root/NEWS")"

# The Debian package, built twice from the source package's tree in two folders.
for copy in first second; do
    copy_sources "$work_dir/$copy/screen-size-$version"
    (cd "$work_dir/$copy/screen-size-$version" && dpkg-buildpackage -us -uc) \
        >"$work_dir/$copy.log" 2>&1 || { echo "FAIL: dpkg-buildpackage:"; tail -n 30 "$work_dir/$copy.log"; exit 1; }
done
deb=$work_dir/first/screen-size_${version}_amd64.deb
check "the .deb is named with the version" yes "$([ -f "$deb" ] && echo yes)"
check "two builds in two folders give the same .deb" yes \
    "$(cmp -s "$deb" "$work_dir/second/screen-size_${version}_amd64.deb" && echo yes)"
check "two builds give the same source package" yes \
    "$(cmp -s "$work_dir/first/screen-size_$version.tar.xz" \
        "$work_dir/second/screen-size_$version.tar.xz" && echo yes)"
lint=$(lintian -I -E --pedantic "$work_dir/first/screen-size_${version}_amd64.changes" 2>&1 |
    grep -v '^running with root privileges')
check "lintian: no error and no warning" "" "$(grep -E '^[EW]: ' <<<"$lint")"
[ -z "$lint" ] || printf 'note: lintian also says:\n%s\n' "$lint"
depends=$(dpkg-deb -f "$deb" Depends)
check "it depends on no display library: $depends" "" \
    "$(grep -oiE 'x11|xcb|xrandr|wayland|systemd' <<<"$depends")"
check "it recommends the display libraries it loads" "libwayland-client0, libxcb1, libxcb-randr0" \
    "$(dpkg-deb -f "$deb" Recommends)"

# The autopkgtest, on this machine as its test bed.
autopkgtest "$deb" "$work_dir/first/screen-size-$version/" -- null >"$work_dir/autopkgtest.log" 2>&1
check "autopkgtest passes" 0 "$?"
grep -E '^command[0-9]+ ' "$work_dir/autopkgtest.log"

apt-get install -y --no-install-recommends "$deb" >"$work_dir/apt.log" 2>&1 ||
    { echo "FAIL: apt could not install the .deb:"; cat "$work_dir/apt.log"; exit 1; }
trap 'apt-get remove -y screen-size >/dev/null 2>&1; cleanup' EXIT
# Control-flow protection is left out: this release's own C runtime objects carry no IBT
# or SHSTK notes, so no program linked here passes it.
hardening=$(hardening-check --nocfprotection /usr/bin/screen-size 2>&1)
check "hardening-check passes on the installed program" 0 "$?"
grep -E 'no|yes|unknown' <<<"$hardening" | sed 's/^/note: /'
check "installed from the .deb: the line on Xvfb" "$sample" "$(DISPLAY=$display /usr/bin/screen-size)"
check "installed from the .deb: the same line as the build without a display" \
    "$(env -u DISPLAY "$build/screen-size")" "$(env -u DISPLAY /usr/bin/screen-size)"
check "man screen-size finds its page" /usr/share/man/man1/screen-size.1.gz "$(man -w screen-size)"

# The Windows zip, from the build's Windows program and from a second build in another folder.
copy_sources "$work_dir/windows-sources"
cmake -S "$work_dir/windows-sources" -B "$work_dir/windows-second" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF >/dev/null && cmake --build "$work_dir/windows-second" -j2 >/dev/null ||
    { echo "FAIL: the second Windows build"; exit 1; }
for windows in "$build/windows" "$work_dir/windows-second"; do
    cmake --build "$windows" --target zip >/dev/null || exit 1
done
zip=$build/windows/screen-size-$version-win64.zip
check "two builds in two folders give the same zip" yes \
    "$(cmp -s "$zip" "$work_dir/windows-second/screen-size-$version-win64.zip" && echo yes)"
unzip -q "$zip" -d "$work_dir/zip" || exit 1
check "the zip holds the program, a README for Windows and the licence" \
    "LICENSE.txt README.txt screen-size.exe" \
    "$(cd "$work_dir/zip" && ls | sort | tr '\n' ' ' | sed 's/ $//')"
export WINEPREFIX=$work_dir/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
check "the zip's program under Wine" "$sample" \
    "$(DISPLAY=$display "$wine" "$work_dir/zip/screen-size.exe" 2>/dev/null | tr -d '\r')"
/usr/lib/wine/wineserver -k 2>/dev/null

finish
