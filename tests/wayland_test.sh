#!/usr/bin/env bash
# The program in Wayland sessions: a fixture compositor of the tests' own that announces the
# outputs each case asks for, one that never answers, and a real one (weston's headless
# backend) against wayland-info. The compositor that answers is the authority: X11 is not
# asked, so no Xwayland is started.
# usage: wayland_test.sh PROGRAM FAKE_COMPOSITOR FAKE_X_SERVER FAKE_DISPLAY_CONFIG
source "$(dirname "$0")/lib.sh"
program=$1
compositor=$2
export FAKE_X_SERVER=$3
display_config=$4
[ "$(id -u)" -eq 0 ] || skip_or_fail "the EDID case mounts a fixture over /sys/class: run it as root"
require_tool unshare util-linux
require_tool weston weston
require_tool wayland-info wayland-utils
require_tool dbus-daemon dbus-daemon
export XDG_RUNTIME_DIR=$work_dir/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
dumps=$(cd "$(dirname "$0")/edid" && pwd)
out=$work_dir/out
err=$work_dir/err
zeros=$(report_line 0 0)

# start_compositor ARGS...: the fixture compositor on a fresh socket; sets `socket`.
sockets=0
start_compositor() {
    sockets=$((sockets + 1))
    socket=wl-test-$sockets
    local fifo=$work_dir/compositor.$sockets
    mkfifo "$fifo"
    "$compositor" "$socket" "$@" >"$fifo" 2>"$work_dir/compositor.log" &
    server_pids+=("$!")
    local ready=""
    read -r -t 10 ready <"$fifo" || true
    rm -f "$fifo"
    [ "$ready" == ready ] || { echo "FAIL: the fixture compositor:"; cat "$work_dir/compositor.log"; exit 1; }
}

# expect WHAT LINE [ENV...]: the program, in the session of `socket` and without X (unless
# ENV says otherwise), run through `wrapper` when set, prints LINE within 10 s, exit status
# 0, nothing on standard error.
wrapper=()
expect() {
    local what=$1 line=$2
    shift 2
    local started=$SECONDS
    "${wrapper[@]}" env -u DISPLAY WAYLAND_DISPLAY="$socket" "$@" timeout 60 "$program" \
        >"$out" 2>"$err"
    local status=$? waited=$((SECONDS - started))
    check "$what" "$line" "$(cat "$out")"
    check "$what: exit 0, nothing on standard error, within 10 s" "0 '' yes" \
        "$status '$(cat "$err")' $([ "$waited" -le 10 ] && echo yes || echo "no: ${waited}s")"
}

while IFS='|' read -r what expected outputs; do
    # shellcheck disable=SC2086 # the outputs are separate words
    start_compositor $outputs
    expect "$what" "$(report_line $expected)"
done <<'EOF2'
one output, version 4|527 296|DP-1:527:296:0:4
one output, version 1|527 296|-:527:296:0:1
an output of 0 x 0 mm|0 0|DP-1:0:0:0:4
an output of a stand-in size|0 0|DP-1:160:90:0:4
turned 90 degrees|296 527|DP-1:527:296:1:4
turned 180 degrees|527 296|DP-1:527:296:2:4
turned 270 degrees|296 527|DP-1:527:296:3:4
flipped|527 296|DP-1:527:296:4:4
flipped and turned 90 degrees|296 527|DP-1:527:296:5:4
flipped and turned 270 degrees|296 527|DP-1:527:296:7:4
a transform that is none of the eight|527 296|DP-1:527:296:9:4
a built-in panel among outputs, named by wl_output|344 194|HDMI-A-1:600:340:0:4 eDP-1:344:194:0:4
a built-in panel among outputs, named by xdg-output|344 194|--xdg-output HDMI-A-1:600:340:0:3 eDP-1:344:194:0:3
no names at all: the first output|600 340|HDMI-A-1:600:340:0:3 eDP-1:344:194:0:3
no built-in panel: the first output|600 340|HDMI-A-1:600:340:0:4 DP-2:527:296:0:4
no outputs|0 0|
EOF2

# GNOME's primary monitor, from a display-config service of the test's own on a private
# session bus; the program asks the bus only when there is more than one output.
bus=$work_dir/bus
dbus-daemon --session --nofork --nopidfile --address="unix:path=$bus" >/dev/null 2>&1 &
server_pids+=("$!")
for _ in $(seq 100); do [ -S "$bus" ] && break; sleep 0.1; done
export DBUS_SESSION_BUS_ADDRESS=unix:path=$bus
start_compositor HDMI-A-1:600:340:0:4 eDP-1:344:194:0:4 DP-2:527:296:0:4
expect "a bus without GNOME's service: the built-in panel" "$(report_line 344 194)"
fifo=$work_dir/display-config
mkfifo "$fifo"
"$display_config" DP-2 HDMI-A-1 eDP-1 DP-2 >"$fifo" 2>"$work_dir/display-config.log" &
server_pids+=("$!")
read -r -t 10 ready <"$fifo" || true
[ "$ready" == ready ] || { echo "FAIL: the display-config service:"; cat "$work_dir/display-config.log"; exit 1; }
expect "GNOME's primary monitor, over a built-in panel" "$(report_line 527 296)"
start_compositor --xdg-output HDMI-A-1:600:340:0:3 eDP-1:344:194:0:3 DP-2:527:296:0:3
expect "GNOME's primary monitor, named by xdg-output" "$(report_line 527 296)"
start_compositor HDMI-A-1:600:340:0:4 eDP-1:344:194:0:4
expect "GNOME's primary is none of the compositor's outputs: the built-in panel" \
    "$(report_line 344 194)"
unset DBUS_SESSION_BUS_ADDRESS

# The connector of the output's name holds the monitor's own EDID, which wins over the
# compositor's millimetres: the program in a private mount namespace over a fixture tree.
tree=$work_dir/class
mkdir -p "$tree/drm/card0-HDMI-A-1" "$tree/drm/card1-eDP-1"
echo connected >"$tree/drm/card0-HDMI-A-1/status"
echo connected >"$tree/drm/card1-eDP-1/status"
cp "$dumps/samsung-c24f390.bin" "$tree/drm/card0-HDMI-A-1/edid"
cp "$dumps/auo-b154ew01.bin" "$tree/drm/card1-eDP-1/edid"
with_fixture() {
    unshare --mount --propagation private sh -c 'mount --bind "$0" /sys/class && exec "$@"' "$tree" "$@"
}
for case in "HDMI-A-1:600:340:0:4|521 293|the namesake connector's EDID wins" \
    "HDMI-A-1:600:340:1:4|293 521|the namesake connector's EDID, turned" \
    "--xdg-output eDP-1:0:0:0:3|331 207|named by xdg-output, no millimetres: the EDID" \
    "DP-3:600:340:0:4|600 340|no namesake connector: the compositor's millimetres"; do
    IFS='|' read -r outputs expected what <<<"$case"
    # shellcheck disable=SC2086 # the outputs are separate words
    start_compositor $outputs
    wrapper=(with_fixture)
    expect "$what" "$(report_line $expected)"
    wrapper=()
done

# The compositor answers: the X display is never connected to, so Xwayland is never started.
start_fake_x honest
start_compositor DP-1:527:296:0:4
started=$SECONDS
DISPLAY=:$display WAYLAND_DISPLAY=$socket "$program" >"$out" 2>"$err"
check "a compositor and a display: the compositor's answer" "$(report_line 527 296)" "$(cat "$out")"
check "a compositor and a display: no client reached the display" "" \
    "$(grep -c client "$work_dir/fake-x.log" | grep -v '^0$')"

# No compositor answers: X11 and the kernel as before.
socket=no-such-socket
expect "no socket of that name: the X display answers" "$(report_line 597 336)" DISPLAY=":$display"
start_compositor --silent DP-1:527:296:0:4
expect "a compositor that never answers: given up on, then the X display" \
    "$(report_line 597 336)" DISPLAY=":$display"
expect "a compositor that never answers, no display: the connectors (none here)" \
    "$(env -u DISPLAY -u WAYLAND_DISPLAY "$program")"

# No Wayland client library on the machine: the program starts, and asks X11 instead.
library=$(readlink -f "$(ldconfig -p | sed -n 's/^\s*libwayland-client.so.0 (libc6,x86-64) => //p' | head -n 1)")
[ -f "$library" ] || skip_or_fail "libwayland-client.so.0 is not installed here; install the Debian package libwayland-client0"
without_library() {
    unshare --mount --propagation private sh -c 'mount --bind /dev/null "$0" && exec "$@"' "$library" "$@"
}
start_compositor DP-1:527:296:0:4
wrapper=(without_library)
expect "no Wayland client library: the X display answers" "$(report_line 597 336)" DISPLAY=":$display"
wrapper=()

# A real compositor: weston's headless backend, against what wayland-info says of its output.
for transform in normal rotate-90; do
    socket=weston-$transform
    weston --backend=headless-backend.so --socket="$socket" --width=1280 --height=720 \
        --transform="$transform" --no-config --idle-time=0 >"$work_dir/weston.log" 2>&1 &
    server_pids+=("$!")
    for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/$socket" ] && break; sleep 0.1; done
    info=$(WAYLAND_DISPLAY=$socket timeout 10 wayland-info 2>/dev/null)
    read -r width height <<<"$(sed -n 's/.*physical_width: \([0-9]*\) mm, physical_height: \([0-9]*\) mm.*/\1 \2/p' <<<"$info" | head -n 1)"
    shown=$(sed -n 's/.*output_transform: \([^,]*\),*.*/\1/p' <<<"$info" | head -n 1)
    [ -n "$width" ] || { echo "FAIL: wayland-info saw no output:"; cat "$work_dir/weston.log"; exit 1; }
    case $shown in 90*|270*|flipped-90*|flipped-270*) read -r width height <<<"$height $width" ;; esac
    expect "weston headless, $shown: wayland-info's ${width}x${height} mm" "$(report_line "$width" "$height")"
done

finish
