#!/usr/bin/env bash
# The built program end to end, as a user runs it without a display: its line, its exit
# status, its silence on standard error, and what happens when the line cannot be written.
source "$(dirname "$0")/lib.sh"
program=$1
sanitized=${2:-OFF}
require_tool jq jq

zeros='{ "inch": 0.000000, "screenWidth": 0, "screenHeight": 0 }'
if compgen -G "/sys/class/drm/card*-*" >/dev/null; then
    # A machine with a monitor reports it even without a display; the drm check covers
    # the no-screen case in a namespace of its own.
    echo "note: this machine has DRM connectors, so the line without a display is its own"
    zeros=$(env -u DISPLAY "$program")
fi
out=$work_dir/out
err=$work_dir/err

# run ARGS...: runs the program without a display; sets `status`, stdout in $out, stderr in $err.
run() {
    env -u DISPLAY "$program" "$@" >"$out" 2>"$err"
    status=$?
}

run
check "no display: the zeros line (or this machine's monitor)" "$zeros" "$(cat "$out")"
check "the line ends in exactly one line feed" "$(printf '%s\n' "$zeros" | od -c)" "$(od -c <"$out")"
check "exit status 0" 0 "$status"
check "nothing on standard error" "" "$(cat "$err")"
check "the line is JSON with its three keys in order" '["inch","screenWidth","screenHeight"]' \
    "$(jq -c 'keys_unsorted' <"$out")"
check "the keys hold numbers" '["number","number","number"]' \
    "$(jq -c '[.inch, .screenWidth, .screenHeight] | map(type)' <"$out")"

run extra --arguments "are ignored" -h --help
check "extra arguments change nothing: line" "$zeros" "$(cat "$out")"
check "extra arguments change nothing: status" 0 "$status"
check "extra arguments change nothing: standard error" "" "$(cat "$err")"

env -u DISPLAY "$program" | cat >"$out"
check "through a pipe: the one line" "$zeros" "$(cat "$out")"
check "through a pipe: status" 0 "${PIPESTATUS[0]}"

env -u DISPLAY "$program" 2>&- >"$out"
check "with standard error closed: the line" "$zeros" "$(cat "$out")"

env -u DISPLAY "$program" >/dev/full 2>"$err"
check "a full device: exit status 1" 1 "$?"
check "a full device: the reason" "screen-size: write error: No space left on device" "$(cat "$err")"

env -u DISPLAY "$program" >&- 2>"$err"
check "standard output closed: exit status 1" 1 "$?"
check "standard output closed: the reason" "screen-size: write error: Bad file descriptor" \
    "$(cat "$err")"

# A file-size limit: the line does not fit, which is a write error, not a silent death.
# Standard error is a pipe here: the limit holds for every file the program writes.
reason=$(env -u DISPLAY bash -c 'ulimit -f 0 && exec "$0"' "$program" 2>&1 >"$out")
check "a file-size limit (ulimit -f 0): exit status 1" 1 "$?"
check "a file-size limit (ulimit -f 0): the reason" "screen-size: write error: File too large" \
    "$reason"

# No descriptor to spare: the reason still reaches standard error. AddressSanitizer's start
# loops for ever without three free descriptors, so this runs in the plain build only.
if [ "$sanitized" != ON ]; then
    env -u DISPLAY bash -c 'ulimit -n 3 && exec "$0"' "$program" <&- >/dev/full 2>"$err"
    check "ulimit -n 3, standard input closed, a full device: exit status 1" 1 "$?"
    check "ulimit -n 3, standard input closed, a full device: the reason" \
        "screen-size: write error: No space left on device" "$(cat "$err")"
else
    echo "note: the ulimit -n 3 case runs in the plain build (AddressSanitizer cannot start)"
fi

# A reader that is already gone: the write fails with a broken pipe, reported, not a signal.
mkfifo "$work_dir/pipe"
exec 4<>"$work_dir/pipe"
exec 5>"$work_dir/pipe"
exec 4<&-
env -u DISPLAY "$program" >&5 2>"$err"
status=$?
exec 5>&-
check "a reader that went away: exit status 1" 1 "$status"
check "a reader that went away: the reason" "screen-size: write error: Broken pipe" "$(cat "$err")"

finish
