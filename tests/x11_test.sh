#!/usr/bin/env bash
# The program against real X servers (Xvfb): its sides come from the EDID planted on the
# screen's output, never from the screen's DPI-derived millimetres, and a server that refuses
# us yields the zeros line in silence.
source "$(dirname "$0")/lib.sh"
program=$1
plant_edid=$2
require_tool Xvfb xvfb
require_tool xdpyinfo x11-utils
require_tool xauth xauth

out=$work_dir/out
err=$work_dir/err

dumps=$(cd "$(dirname "$0")/edid" && pwd)
zeros='{ "inch": 0.000000, "screenWidth": 0, "screenHeight": 0 }'

# The documented example, to the byte: a Samsung C24F390's EDID on the server's output.
start_xvfb -screen 0 1920x1080x24 -dpi 96
DISPLAY=$display "$plant_edid" "$dumps/samsung-c24f390.bin" || exit 1
DISPLAY=$display "$program" >"$out" 2>"$err"
check "the documented example: exit status" 0 "$?"
check "the documented example: the line" \
    '{ "inch": 23.532921, "screenWidth": 521, "screenHeight": 293 }' "$(cat "$out")"
check "the documented example: nothing on standard error" "" "$(cat "$err")"
DISPLAY=$display "$program" and some arguments >"$out"
check "the documented example: arguments change nothing" \
    '{ "inch": 23.532921, "screenWidth": 521, "screenHeight": 293 }' "$(cat "$out")"

# Without an EDID the server knows no physical size, whatever size and DPI its screen has:
# the core screen's millimetres are worked out from the DPI and never reported.
for server in "1024x768x24 -dpi 96" "3840x2160x24 -dpi 96" "1920x1080x24 -dpi 144" \
    "640x480x8 -dpi 50"; do
    read -r geometry options <<<"$server"
    # shellcheck disable=SC2086 # the options are separate words
    start_xvfb -screen 0 "$geometry" $options
    check "$server, no EDID: 0 0, not xdpyinfo's $(xdpyinfo_size "$display" | tr ' ' x) mm" \
        "$zeros" "$(DISPLAY=$display "$program")"
done

# Two screens: the display name chooses the screen, and so the monitor, as for any X client.
start_xvfb -screen 0 1600x900x24 -dpi 96 -screen 1 800x600x24 -dpi 96
DISPLAY=$display.0 "$plant_edid" "$dumps/aoc-1670w.bin" || exit 1
DISPLAY=$display.1 "$plant_edid" "$dumps/samsung-syncmaster.bin" || exit 1
check "screen 1 of two" "$(report_line 338 270)" "$(DISPLAY=$display.1 "$program")"
check "screen 0 of two" "$(report_line 344 194)" "$(DISPLAY=$display.0 "$program")"

# A server that wants a cookie we do not have: libxcb writes its refusal to standard
# error; the program keeps it off ours and reports no screen.
cookie_file=$work_dir/cookies
start_xvfb -auth "$cookie_file" -screen 0 1280x1024x24 -dpi 96
xauth -f "$cookie_file" add "$display" . "$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')" 2>/dev/null
XAUTHORITY=$cookie_file DISPLAY=$display "$plant_edid" "$dumps/auo-b154ew01.bin" || exit 1
XAUTHORITY=$work_dir/none DISPLAY=$display "$program" >"$out" 2>"$err"
check "refused: exit status" 0 "$?"
check "refused: the zeros line" "$zeros" "$(cat "$out")"
check "refused: nothing on standard error" "" "$(cat "$err")"
XAUTHORITY=$work_dir/none DISPLAY=$display "$program" >"$out" 2>&-
check "refused, standard error closed: exit status" 0 "$?"
check "refused, standard error closed: the zeros line" \
    '{ "inch": 0.000000, "screenWidth": 0, "screenHeight": 0 }' "$(cat "$out")"
XAUTHORITY=$cookie_file DISPLAY=$display "$program" >"$out" 2>"$err"
check "with the cookie: the monitor" "$(report_line 331 207)" "$(cat "$out")"
check "with the cookie: nothing on standard error" "" "$(cat "$err")"

# A server that accepts the connection and then never answers (stopped): the program gives
# up on it after its limit and reports what it knows without a display.
start_xvfb -screen 0 1600x900x24 -dpi 96
stopped=${server_pids[-1]}
kill -STOP "$stopped"
started=$SECONDS
DISPLAY=$display timeout 30 "$program" >"$out" 2>"$err"
status=$?
waited=$((SECONDS - started))
# Again with SIGALRM ignored and blocked by the parent, as a shell or service may leave it.
DISPLAY=$display timeout 30 bash -c "trap '' ALRM; exec perl -MPOSIX -e \
    'sigprocmask(SIG_BLOCK, POSIX::SigSet->new(SIGALRM)); exec @ARGV' \"\$0\"" "$program" \
    >"$work_dir/out2" 2>&1
status2=$?
kill -CONT "$stopped"
check "a silent server, SIGALRM ignored and blocked: exit status 0, no hang" 0 "$status2"
check "a silent server, SIGALRM ignored and blocked: the line" "$(env -u DISPLAY "$program")" \
    "$(cat "$work_dir/out2")"
check "a silent server: exit status 0, no hang" 0 "$status"
check "a silent server: the line without a display" "$(env -u DISPLAY "$program")" "$(cat "$out")"
check "a silent server: nothing on standard error" "" "$(cat "$err")"
check "a silent server: given up on within 10 s" yes "$([ "$waited" -le 10 ] && echo yes)"

# Standard output closed while a display answers: the X connection must not take its place.
DISPLAY=$display "$program" >&- 2>"$err"
check "standard output closed, with a display: exit status 1" 1 "$?"
check "standard output closed, with a display: the reason" \
    "screen-size: write error: Bad file descriptor" "$(cat "$err")"

# A display name that names no server.
DISPLAY=":65000" "$program" >"$out" 2>"$err"
check "no server at that display: the zeros line" \
    '{ "inch": 0.000000, "screenWidth": 0, "screenHeight": 0 }' "$(cat "$out")"
check "no server at that display: nothing on standard error" "" "$(cat "$err")"

finish
