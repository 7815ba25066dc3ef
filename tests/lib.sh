# Helpers shared by the end-to-end checks. Source it; it sets an EXIT trap that cleans up.
set -u

work_dir=$(mktemp -d)
server_pids=()
fake_sockets=()

cleanup() {
    for pid in "${server_pids[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    rm -rf "$work_dir"
    rm -f "${fake_sockets[@]}"
}
trap cleanup EXIT

failures=0
checks=0

# check NAME EXPECTED ACTUAL: compares two texts and counts the result.
check() {
    checks=$((checks + 1))
    if [ "$2" == "$3" ]; then
        echo "ok: $1"
    else
        failures=$((failures + 1))
        printf 'FAIL: %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
    fi
}

# finish: the exit status of the script, after a summary line.
finish() {
    echo "$((checks - failures)) passed, $failures failed"
    [ "$failures" -eq 0 ]
    exit
}

# skip_or_fail MESSAGE: a missing tool skips on a developer's machine and fails in CI.
skip_or_fail() {
    if [ -n "${CI:-}" ]; then
        echo "FAIL: $1 (CI must run every check)"
        exit 1
    fi
    echo "SKIP: $1"
    exit 77
}

# require_tool COMMAND PACKAGE
require_tool() {
    command -v "$1" >/dev/null 2>&1 || skip_or_fail "$1 not found; install the Debian package $2"
}

# start_xvfb ARGS...: starts Xvfb on a free display number with the given screens and options,
# and sets `display` to its name (":N").
start_xvfb() {
    local fifo="$work_dir/displayfd.$RANDOM"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -nolisten tcp -noreset "$@" 3>"$fifo" >"$work_dir/xvfb.log" 2>&1 &
    server_pids+=("$!")
    local number=""
    read -r -t 20 number <"$fifo" || true
    rm -f "$fifo"
    if [ -z "$number" ]; then
        echo "FAIL: Xvfb did not start:"
        cat "$work_dir/xvfb.log"
        exit 1
    fi
    display=":$number"
}

# xdpyinfo_size DISPLAY: "WIDTH HEIGHT" in millimetres of the display's default screen.
xdpyinfo_size() {
    xdpyinfo -display "$1" | sed -n 's/.*dimensions:.*(\([0-9]*\)x\([0-9]*\) millimeters).*/\1 \2/p' |
        head -n 1
}

# report_line WIDTH HEIGHT: the line the program prints for those sides, from the same format.
report_line() {
    local inch
    inch=$(awk -v w="$1" -v h="$2" 'BEGIN { printf "%f", sqrt(w * w + h * h) * 0.03937 }')
    printf '{ "inch": %s, "screenWidth": %d, "screenHeight": %d }\n' "$inch" "$1" "$2"
}

# start_fake_x MODE [EDID_FILE]: starts the tests' fake X server (FAKE_X_SERVER names it) on a
# free display number, on its unix socket and on loopback TCP; sets `display` to its number.
start_fake_x() {
    local number
    for number in $(seq $((300 + RANDOM % 300)) 999); do
        [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] || break
    done
    local fifo="$work_dir/fake-x.$RANDOM"
    mkfifo "$fifo"
    "$FAKE_X_SERVER" "$1" "$number" "${@:2}" >"$fifo" 2>"$work_dir/fake-x.log" &
    server_pids+=("$!")
    local ready=""
    read -r -t 10 ready <"$fifo" || true
    rm -f "$fifo"
    if [ "$ready" != ready ]; then
        echo "FAIL: the fake X server did not start:"
        cat "$work_dir/fake-x.log"
        exit 1
    fi
    fake_sockets+=("/tmp/.X11-unix/X$number")
    display=$number
}
