#!/usr/bin/env bash
# The real Windows program under Wine on an Xvfb display whose monitor has no EDID: GDI's
# millimetres reach the line, which ends in CR LF as a Windows text stream writes it. (The
# monitor's EDID, when it has one, is checked beside the other platforms' in
# edid_everywhere_test.sh.)
source "$(dirname "$0")/lib.sh"
program=$1
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || skip_or_fail "$wine not found; install the Debian package wine64"
require_tool Xvfb xvfb
require_tool xdpyinfo x11-utils
require_tool x86_64-w64-mingw32-objdump binutils-mingw-w64-x86-64
[ -f "$program" ] || { echo "FAIL: $program was not built"; exit 1; }

# It needs only DLLs that every Windows has.
imports=$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p' |
    tr '[:upper:]' '[:lower:]' | sort | tr '\n' ' ')
unexpected=$(tr ' ' '\n' <<<"$imports" | grep -vxE 'kernel32.dll|user32.dll|gdi32.dll|setupapi.dll|advapi32.dll|msvcrt.dll|api-ms-win-crt-.*|' || true)
check "imports only Windows's own DLLs ($imports)" "" "$unexpected"

export WINEPREFIX=$work_dir/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
end_wine() { WINEPREFIX=$WINEPREFIX /usr/lib/wine/wineserver -k 2>/dev/null; cleanup; }
trap end_wine EXIT

# Wine's GDI assumes 96 dpi, so only at 96 dpi do its millimetres equal the X server's.
for geometry in 1600x900x24 1280x1024x24; do
    start_xvfb -screen 0 "$geometry" -dpi 96
    read -r width height <<<"$(xdpyinfo_size "$display")"
    expected=$(report_line "$width" "$height" | sed 's/$/\r/')
    DISPLAY=$display "$wine" "$program" >"$work_dir/out" 2>"$work_dir/err"
    status=$?
    if [ "$geometry" == 1600x900x24 ]; then
        check "1600x900: GDI's figure, to the byte" \
            "$(printf '{ "inch": 19.108569, "screenWidth": 423, "screenHeight": 238 }\r\n' | od -c)" \
            "$(od -c <"$work_dir/out")"
    fi
    check "$geometry: exit status" 0 "$status"
    check "$geometry: the line for xdpyinfo's ${width}x${height} mm, ending in CR LF" \
        "$(printf '%s\n' "$expected" | od -c)" "$(od -c <"$work_dir/out")"
    DISPLAY=$display "$wine" "$program" extra arguments >"$work_dir/out" 2>/dev/null
    check "$geometry: arguments change nothing" "$expected" "$(cat "$work_dir/out")"
    DISPLAY=$display "$wine" "$program" >/dev/full 2>"$work_dir/err"
    check "$geometry: a full device: exit status 1" 1 "$?"
    check "$geometry: a full device: the reason on standard error" yes \
        "$(grep -q '^screen-size: write error: .' "$work_dir/err" && echo yes)"
    WINEPREFIX=$WINEPREFIX /usr/lib/wine/wineserver -k 2>/dev/null
done
finish
