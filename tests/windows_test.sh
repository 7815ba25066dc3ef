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

# Its version information and manifest, read back from the resource section.
version=$(sed -n 's/^project(screen-size VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../CMakeLists.txt")
x86_64-w64-mingw32-objcopy -O binary --only-section=.rsrc "$program" "$work_dir/rsrc.bin"
strings -el "$work_dir/rsrc.bin" | paste -sd'|' >"$work_dir/version-strings"
for pair in "FileVersion|$version" "ProductVersion|$version" "OriginalFilename|screen-size.exe" \
    "ProductName|screen-size" "FileDescription|Reports the physical size of the screen"; do
    check "version information: ${pair%%|*} $([ -n "${pair#*|}" ] && echo "is ${pair#*|}")" yes \
        "$(grep -qF "$pair" "$work_dir/version-strings" && echo yes)"
done
check "version information: a copyright" yes \
    "$(grep -qE 'LegalCopyright\|Copyright .* The screen-size developers' "$work_dir/version-strings" && echo yes)"
# The fixed part: its signature and structure version, then the file version as two
# little-endian dwords, (major << 16 | minor) and (patch << 16 | 0).
IFS=. read -r major minor patch <<<"$version"
le16() { printf '%02x %02x' $(($1 & 255)) $(($1 >> 8)); }
fixed="bd 04 ef fe 00 00 01 00 $(le16 "$minor") $(le16 "$major") 00 00 $(le16 "$patch")"
check "version information: the fixed file version is $version.0" yes \
    "$(od -An -tx1 -v "$work_dir/rsrc.bin" | tr -d '\n' | tr -s ' ' | grep -qF "$fixed" && echo yes)"
manifest=$(strings "$work_dir/rsrc.bin")
for needle in 'level="asInvoker"' PerMonitorV2 '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}' \
    "version=\"$version.0\""; do
    check "manifest: $needle" yes "$(grep -qF -- "$needle" <<<"$manifest" && echo yes)"
done
check "no time stamp in the PE header" "Thu Jan  1 00:00:00 1970" \
    "$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^Time\/Date\s*//p')"

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
