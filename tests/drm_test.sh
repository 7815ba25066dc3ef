#!/usr/bin/env bash
# The kernel's DRM connectors as the source, end to end: the built program runs in a private
# mount namespace whose /sys/class is a fixture tree of connector folders.
source "$(dirname "$0")/lib.sh"
program=$1
edid_tool=$2
[ "$(id -u)" -eq 0 ] || skip_or_fail "the DRM check mounts a fixture over /sys/class: run it as root"
require_tool unshare util-linux
require_tool timeout coreutils
require_tool Xvfb xvfb
unshare --mount true 2>/dev/null || skip_or_fail "unshare --mount is not permitted here"

dumps=$(cd "$(dirname "$0")/edid" && pwd)
fixtures=$work_dir/fixtures
mkdir -p "$fixtures"
"$edid_tool" fixtures "$fixtures" || exit 1
zeros='{ "inch": 0.000000, "screenWidth": 0, "screenHeight": 0 }'

tree=""
# new_tree: a fresh /sys/class with an empty drm folder; sets `tree`.
new_tree() {
    tree=$(mktemp -d "$work_dir/class.XXXX")
    mkdir "$tree/drm"
    # What the kernel also puts there, and which is no connector.
    mkdir "$tree/drm/card0" "$tree/drm/renderD128"
    echo "1.1.0 20060810" >"$tree/drm/version"
}

# connector NAME STATUS [EDID-FILE]: a connector folder; STATUS "-" leaves the file out.
connector() {
    mkdir -p "$tree/drm/$1"
    [ "$2" == "-" ] || echo "$2" >"$tree/drm/$1/status"
    if [ $# -ge 3 ]; then
        cp "$3" "$tree/drm/$1/edid"
    else
        : >"$tree/drm/$1/edid" # the kernel's file for a connector with no EDID is empty
    fi
}

# run_program [ENV...]: the program with the fixture tree as /sys/class, no display unless
# given, and the file named by `hidden` (when set) hidden behind an empty one; sets `output`,
# `errors` and `status`.
hidden=""
run_program() {
    output=$(unshare --mount --propagation private sh -c '
        if [ -n "$1" ]; then mount --bind /dev/null "$1" || exit 1; fi
        mount --bind "$2" /sys/class && shift 2 && exec "$@"' sh "$hidden" "$tree" \
        env -u DISPLAY "$@" timeout 10 "$program" 2>"$work_dir/err")
    status=$?
    errors=$(cat "$work_dir/err")
}

# expect WHAT LINE: the program, run on the current tree, prints LINE in silence and exits 0.
expect() {
    run_program
    check "$1" "$2" "$output"
    if [ "$status" -ne 0 ] || [ -n "$errors" ]; then
        check "$1: exit status 0 and nothing on standard error" "0 ''" "$status '$errors'"
    fi
}

new_tree
rmdir "$tree/drm/card0" "$tree/drm/renderD128" && rm "$tree/drm/version" && rmdir "$tree/drm"
expect "no /sys/class/drm at all: zeros" "$zeros"

new_tree
expect "no connectors: zeros" "$zeros"

for dump in "aoc-1670w 344 194" "auo-b154ew01 331 207" "samsung-c24f390 521 293" \
    "samsung-syncmaster 338 270"; do
    read -r name width height <<<"$dump"
    new_tree
    connector card0-DP-1 connected "$dumps/$name.bin"
    expect "real EDID $name: ${width}x${height} mm" "$(report_line "$width" "$height")"
done

new_tree
connector card0-HDMI-A-1 connected "$dumps/samsung-c24f390.bin"
connector card1-eDP-1 connected "$dumps/auo-b154ew01.bin"
expect "a built-in panel comes first, whatever its card" "$(report_line 331 207)"

new_tree
connector card0-eDP-1 disconnected "$dumps/auo-b154ew01.bin"
connector card0-HDMI-A-1 connected "$dumps/samsung-c24f390.bin"
expect "a disconnected panel is passed over" "$(report_line 521 293)"

new_tree
connector card1-DP-1 connected "$dumps/samsung-syncmaster.bin"
connector card0-DP-2 connected "$dumps/aoc-1670w.bin"
connector card0-DP-10 connected "$dumps/samsung-c24f390.bin"
expect "then by card number, then by connector name" "$(report_line 344 194)"

new_tree
connector card0-DP-1 connected
connector card0-DP-2 connected "$dumps/aoc-1670w.bin"
expect "a connected connector with an empty EDID is passed over" "$(report_line 344 194)"

new_tree
head -c 127 "$dumps/auo-b154ew01.bin" >"$work_dir/truncated.bin"
cp "$dumps/auo-b154ew01.bin" "$work_dir/bad-checksum.bin"
printf '\x55' | dd of="$work_dir/bad-checksum.bin" bs=1 seek=100 conv=notrunc status=none
head -c 128 /dev/urandom >"$work_dir/garbage.bin"
connector card0-eDP-1 connected "$work_dir/truncated.bin"
connector card0-eDP-2 connected "$work_dir/bad-checksum.bin"
connector card0-DP-1 connected "$work_dir/garbage.bin"
connector card0-DP-2 connected "$fixtures/timing-placeholder-1600x900mm.bin"
connector card0-DP-3 - "$dumps/samsung-syncmaster.bin"
connector card0-DP-4 connected "$dumps/aoc-1670w.bin"
expect "truncated, bad, garbage, sizeless EDIDs and a missing status are passed over" \
    "$(report_line 344 194)"

new_tree
ln -s ../../devices/nowhere "$tree/drm/card0-eDP-1"
connector card0-DP-1 connected
mkfifo "$tree/drm/card0-DP-1/edid.fifo"
rm "$tree/drm/card0-DP-1/edid" && mv "$tree/drm/card0-DP-1/edid.fifo" "$tree/drm/card0-DP-1/edid"
mkdir -p "$tree/drm/card0-DP-2/edid" && echo connected >"$tree/drm/card0-DP-2/status"
mkfifo "$tree/drm/card0-DP-3" # a connector name that is no folder
connector card0-DP-4 connected "$dumps/samsung-syncmaster.bin"
expect "a broken link, a FIFO, a folder as EDID: passed over, nothing hangs" "$(report_line 338 270)"

new_tree
{
    cat "$dumps/samsung-c24f390.bin"
    head -c $((1024 * 1024)) /dev/zero
} >"$work_dir/huge.bin"
connector card0-DP-1 connected "$work_dir/huge.bin"
expect "a huge EDID: its base block counts" "$(report_line 521 293)"

new_tree
connector card0-DP-1 connected "$work_dir/garbage.bin"
connector card0-DP-2 unknown "$dumps/aoc-1670w.bin"
connector card0-DP-3 disconnected "$dumps/aoc-1670w.bin"
expect "nothing usable: zeros" "$zeros"

# An X display that answers is the authority, also when it knows no size.
start_xvfb -screen 0 1600x900x24 -dpi 96
new_tree
connector card0-eDP-1 connected "$dumps/auo-b154ew01.bin"
run_program DISPLAY="$display"
check "an X display answers without a size: 0 0, not the connector's" "$zeros" "$output"

# run_without LIBRARY [ENV...]: run_program with LIBRARY hidden from the dynamic loader.
run_without() {
    hidden=$(readlink -f "$(ldconfig -p | sed -n "s/^\s*$1 (libc6,x86-64) => //p" | head -n 1)")
    [ -f "$hidden" ] || skip_or_fail "$1 is not installed here"
    shift
    run_program "$@"
    hidden=""
}

run_without libxcb.so.1 DISPLAY="$display"
check "no X client library: the connector's size" "$(report_line 331 207)" "$output"
check "no X client library: exit 0, nothing on standard error" "0 ''" "$status '$errors'"
run_without libxcb-randr.so.0 DISPLAY="$display"
check "no RandR library: the display answered, and knows no size" "$zeros" "$output"
check "no RandR library: exit 0, nothing on standard error" "0 ''" "$status '$errors'"

finish
