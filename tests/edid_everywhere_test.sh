#!/usr/bin/env bash
# One table of EDIDs through the three places the program reads a monitor's EDID from: an X
# display's output property (a real Xvfb), the kernel's DRM connectors (a fixture
# /sys/class in a private mount namespace) and, for the Windows program under Wine on that
# Xvfb, the monitor's registry key. The same monitor gives the same line everywhere; where its
# EDID gives no known size, X11 and DRM say 0 0 and Windows says what GDI works out.
# usage: edid_everywhere_test.sh PROGRAM EDID_TOOL PLANT_EDID [WINDOWS_PROGRAM]
source "$(dirname "$0")/lib.sh"
program=$1
edid_tool=$2
plant_edid=$3
exe=${4:-}
[ "$(id -u)" -eq 0 ] || skip_or_fail "the DRM leg mounts a fixture over /sys/class: run it as root"
require_tool unshare util-linux
require_tool Xvfb xvfb
require_tool xdpyinfo x11-utils
require_tool Xephyr xserver-xephyr
require_tool xrandr x11-xserver-utils
wine=/usr/lib/wine/wine64
if [ -n "$exe" ]; then
    [ -x "$wine" ] || skip_or_fail "$wine not found; install the Debian package wine64"
    [ -f "$exe" ] || { echo "FAIL: $exe was not built"; exit 1; }
    export WINEPREFIX=$work_dir/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    end_wine() { /usr/lib/wine/wineserver -k 2>/dev/null; cleanup; }
    trap end_wine EXIT
else
    echo "note: this build has no Windows program; the Windows leg runs in the build that has"
fi

dumps=$(cd "$(dirname "$0")/edid" && pwd)
edids=$work_dir/edids
mkdir -p "$edids"
"$edid_tool" fixtures "$edids" || exit 1
head -c 127 "$dumps/auo-b154ew01.bin" >"$edids/truncated.bin"
cp "$dumps/auo-b154ew01.bin" "$edids/bad-checksum.bin"
printf '\x55' | dd of="$edids/bad-checksum.bin" bs=1 seek=100 conv=notrunc status=none

# windows_line DISPLAY: the Windows program's line, read afresh (Wine copies each output's
# EDID into the registry when its server starts).
windows_line() {
    /usr/lib/wine/wineserver -k 2>/dev/null
    DISPLAY=$1 "$wine" "$exe" 2>"$work_dir/wine-err" | tr -d '\r'
}

# drm_line EDID_FILE: the Linux program without a display, one connector holding the EDID.
drm_line() {
    local tree
    tree=$(mktemp -d "$work_dir/class.XXXX")
    mkdir -p "$tree/drm/card0-DP-1"
    echo connected >"$tree/drm/card0-DP-1/status"
    if [ "$1" == - ]; then : >"$tree/drm/card0-DP-1/edid"; else cp "$1" "$tree/drm/card0-DP-1/edid"; fi
    unshare --mount --propagation private sh -c 'mount --bind "$1" /sys/class && shift && exec "$@"' \
        sh "$tree" env -u DISPLAY timeout 10 "$program"
}

start_xvfb -screen 0 1920x1080x24 -dpi 96
read -r gdi_width gdi_height <<<"$(xdpyinfo_size "$display")"
gdi=$(report_line "$gdi_width" "$gdi_height") # what GDI works out at 96 dpi
while IFS='|' read -r what file size; do
    if [ "$file" != - ]; then
        if [ -e "$edids/$file" ]; then file=$edids/$file; else file=$dumps/$file; fi
    fi
    if [ "$size" == none ]; then
        expected=$(report_line 0 0) expected_windows=$gdi
    else
        expected=$(report_line $size) expected_windows=$expected
    fi
    if [ "$file" == - ]; then DISPLAY=$display "$plant_edid" -; else DISPLAY=$display "$plant_edid" "$file"; fi ||
        { echo "FAIL: could not plant $what"; exit 1; }
    check "$what: X11" "$expected" "$(DISPLAY=$display timeout 10 "$program" 2>&1)"
    check "$what: DRM" "$expected" "$(drm_line "$file" 2>&1)"
    [ -z "$exe" ] || check "$what: Windows" "$expected_windows" "$(windows_line "$display")"
done <<'EOF'
AOC 1670W|aoc-1670w.bin|344 194
AU Optronics B154EW01|auo-b154ew01.bin|331 207
Samsung C24F390 with its extension|samsung-c24f390.bin|521 293
Samsung SyncMaster|samsung-syncmaster.bin|338 270
a base size only|no-timing-base-only.bin|400 250
a timing's size only|no-base-size.bin|700 390
a stand-in size only|timing-placeholder-1600x900mm.bin|none
a bad checksum|bad-checksum.bin|none
a truncated block|truncated.bin|none
no EDID at all|-|none
EOF

# No EDID on servers of two DPI settings: X11 no longer reports the core screen's figure.
for dpi in 96 144; do
    start_xvfb -screen 0 1920x1080x24 -dpi "$dpi"
    check "no EDID at $dpi dpi: X11 says 0 0" "$(report_line 0 0)" "$(DISPLAY=$display "$program")"
done

if [ -n "$exe" ]; then
    # A logical DPI of 144: GDI alone follows it; the monitor's EDID does not.
    start_xvfb -screen 0 1920x1080x24 -dpi 96
    /usr/lib/wine/wineserver -k 2>/dev/null
    DISPLAY=$display "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d 144 /f >/dev/null 2>&1
    check "144 dpi, no EDID: Windows says GDI's figure" "$(report_line 339 191)" \
        "$(windows_line "$display")"
    DISPLAY=$display "$plant_edid" "$dumps/samsung-c24f390.bin"
    check "144 dpi, Samsung C24F390: Windows says its EDID's size" "$(report_line 521 293)" \
        "$(windows_line "$display")"
    DISPLAY=$display "$wine" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f \
        >/dev/null 2>&1
fi

# A monitor turned a quarter: Xephyr in the Xvfb, rotated left, with an EDID on its output.
start_xvfb -screen 0 1920x1080x24 -dpi 96
host=$display
for number in $(seq 400 499); do [ -e "/tmp/.X11-unix/X$number" ] || break; done
DISPLAY=$host Xephyr ":$number" -screen 1280x800 -noreset -nolisten tcp >"$work_dir/xephyr.log" 2>&1 &
server_pids+=("$!")
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
DISPLAY=:$number xrandr -o left 2>/dev/null
DISPLAY=:$number "$plant_edid" "$dumps/samsung-c24f390.bin" || { echo "FAIL: Xephyr"; exit 1; }
check "turned a quarter: X11 swaps the sides" "$(report_line 293 521)" \
    "$(DISPLAY=:$number "$program")"
[ -z "$exe" ] || check "turned a quarter: Windows swaps the sides" "$(report_line 293 521)" \
    "$(windows_line ":$number")"

finish
