#!/usr/bin/env bash
# Measures screen-size against the floor of starting a process, and against xrandr and
# xdpyinfo asking the same Xvfb server (whose output carries a real monitor's EDID), directly
# and through a proxy that slows every reply; writes the figures to bench/RESULTS.md.
# usage: bench/run.sh [BUILD_DIR]     (default: build, configured and built when missing)
# BENCH_RUNS sets the runs of each measurement (default 300).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${1:-$root/build}
runs=${BENCH_RUNS:-300}
# Each section names the display it measures; none is inherited from the session.
unset WAYLAND_DISPLAY

for tool in hyperfine:hyperfine Xvfb:xvfb xrandr:x11-xserver-utils xdpyinfo:x11-utils \
    jq:jq cc:gcc /usr/bin/time:time weston:weston wayland-info:wayland-utils; do
    command -v "${tool%%:*}" >/dev/null || {
        echo "bench: ${tool%%:*} not found; install the Debian package ${tool#*:}" >&2
        exit 1
    }
done

program=$build/screen-size
if [ ! -x "$program" ] || [ ! -x "$build/tests/plant_edid" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build" --target screen-size plant_edid
fi
out=$here/out
mkdir -p "$out"
cc -O2 -o "$out/floor" "$here/floor.c"
cc -O2 -Wall -Wextra -o "$out/cpu_time" "$here/cpu_time.c"
cc -O2 -o "$out/xcb_floor" "$here/xcb_floor.c"
cc -O2 -Wall -Wextra -o "$out/delay_proxy" "$here/delay_proxy.c"

# The median of one command in a hyperfine export, in milliseconds.
median_ms() { jq -r --arg c "$2" '.results[] | select(.command == $c) | .median * 1000' "$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
fixed() { awk -v a="$1" 'BEGIN { printf "%.2f", a }'; }
verdict() { awk -v v="$1" -v limit="$2" 'BEGIN { print (v <= limit ? "met" : "missed") }'; }

# No display: only the start-up of the program against the floor.
env -u DISPLAY hyperfine -N --warmup 30 --runs "$runs" --export-json "$out/no-display.json" \
    "$out/floor" "$program" >"$out/no-display.txt"
floor_wall=$(median_ms "$out/no-display.json" "$out/floor")
alone_wall=$(median_ms "$out/no-display.json" "$program")

# One Xvfb server for every X client. Without -noreset the server starts itself anew each
# time its last client leaves, for about 100 ms of its own work that the next client,
# whoever it is, would wait on.
fifo=$out/displayfd
rm -f "$fifo" && mkfifo "$fifo"
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1920x1080x24 -dpi 96 3>"$fifo" \
    >/dev/null 2>&1 &
xvfb=$!
proxy=""
trap 'kill $xvfb $proxy 2>/dev/null; rm -f "$fifo" "${slow_socket:-}"' EXIT
read -r number <"$fifo"
export DISPLAY=:$number
# The monitor as a real one would describe itself: a 24-inch panel's EDID on the output.
"$build/tests/plant_edid" "$root/tests/edid/samsung-c24f390.bin"

clients=("$program" "xrandr --current" "xrandr --listmonitors" "xdpyinfo")
hyperfine -N --warmup 30 --runs "$runs" --export-json "$out/x11.json" "${clients[@]}" \
    >"$out/x11.txt"
declare -A wall cpu
# CPU time from the kernel's accounting of each run; the clients take turns.
mapfile -t cpu_medians < <("$out/cpu_time" "$runs" "${clients[@]}" "$out/xcb_floor")
xcb_floor_cpu=${cpu_medians[${#clients[@]}]}
for i in "${!clients[@]}"; do
    wall[${clients[$i]}]=$(median_ms "$out/x11.json" "${clients[$i]}")
    cpu[${clients[$i]}]=${cpu_medians[$i]}
done
fastest_tool=$(printf '%s\n' "${wall[xrandr --current]}" "${wall[xrandr --listmonitors]}" \
    "${wall[xdpyinfo]}" | sort -g | head -n 1)

# A slow link: a proxy holds every reply for 20 ms, so each round trip costs 20 ms more.
delay=20
slow_runs=$((runs / 10 > 10 ? runs / 10 : 10))
for slow in $(seq $((number + 1)) $((number + 100))); do [ -e "/tmp/.X11-unix/X$slow" ] || break; done
slow_socket=/tmp/.X11-unix/X$slow
"$out/delay_proxy" "/tmp/.X11-unix/X$number" "$slow_socket" "$delay" &
proxy=$!
for _ in $(seq 50); do [ -e "$slow_socket" ] && break; sleep 0.1; done
DISPLAY=:$slow hyperfine -N --warmup 2 --runs "$slow_runs" --export-json "$out/slow.json" \
    "${clients[@]}" >"$out/slow.txt"
declare -A slow_wall round_trips
for client in "${clients[@]}"; do
    slow_wall[$client]=$(median_ms "$out/slow.json" "$client")
    round_trips[$client]=$(awk -v s="${slow_wall[$client]}" -v f="${wall[$client]}" -v d="$delay" \
        'BEGIN { printf "%.0f", (s - f) / d }')
done

# A Wayland session: weston's headless backend, the program against wayland-info.
export XDG_RUNTIME_DIR=$out/runtime
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
weston --backend=headless-backend.so --socket=bench --width=1920 --height=1080 --no-config \
    --idle-time=0 >"$out/weston.log" 2>&1 &
weston=$!
trap 'kill $xvfb $proxy $weston 2>/dev/null; rm -f "$fifo" "${slow_socket:-}"' EXIT
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/bench" ] && break; sleep 0.1; done
wayland_clients=("$program" "wayland-info")
WAYLAND_DISPLAY=bench hyperfine -N --warmup 30 --runs "$runs" --export-json "$out/wayland.json" \
    "${wayland_clients[@]}" >"$out/wayland.txt"
mapfile -t wayland_cpu < <(WAYLAND_DISPLAY=bench "$out/cpu_time" "$runs" "${wayland_clients[@]}")
wayland_wall_ratio=$(ratio "$(median_ms "$out/wayland.json" "$program")" \
    "$(median_ms "$out/wayland.json" wayland-info)")
wayland_cpu_ratio=$(ratio "${wayland_cpu[0]}" "${wayland_cpu[1]}")

# Peak resident memory, the largest of a few runs, without and with a display.
peak_kib=0
for _ in 1 2 3 4 5; do
    for display in "" "$DISPLAY"; do
        kib=$(DISPLAY=$display /usr/bin/time -f %M "$program" 2>&1 >/dev/null)
        [ "$kib" -gt "$peak_kib" ] && peak_kib=$kib
    done
done

cpu_model=$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1)
start_ratio=$(ratio "$alone_wall" "$floor_wall")
wall_ratio=$(ratio "${wall[$program]}" "$fastest_tool")
cpu_ratio=$(ratio "${cpu[$program]}" "${cpu[xrandr --current]}")
peak_mib=$(awk -v k="$peak_kib" 'BEGIN { printf "%.2f", k / 1024 }')

{
    echo "# Benchmark results"
    echo
    echo "Measured by \`bench/run.sh\` on $(date -u +%Y-%m-%d), $(nproc) cores of $cpu_model,"
    echo "$runs runs of each measurement; times are medians."
    echo
    echo "| target | figure | limit | verdict |"
    echo "|---|---|---|---|"
    echo "| no display: wall time against a program that only exits | $start_ratio x | 1.5 x | $(verdict "$start_ratio" 1.5) |"
    echo "| Xvfb: wall time against the fastest of the three tools | $wall_ratio x | 0.8 x | $(verdict "$wall_ratio" 0.8) |"
    echo "| a slow link: round trips, the connection setup included | ${round_trips[$program]} | 4 | $(verdict "${round_trips[$program]}" 4) |"
    echo "| Xvfb: CPU time against \`xrandr --current\` | $cpu_ratio x | 0.7 x | $(verdict "$cpu_ratio" 0.7) |"
    echo "| weston: wall time against \`wayland-info\` | $wayland_wall_ratio x | 1.0 x | $(verdict "$wayland_wall_ratio" 1.0) |"
    echo "| weston: CPU time against \`wayland-info\` | $wayland_cpu_ratio x | 1.0 x | $(verdict "$wayland_cpu_ratio" 1.0) |"
    echo "| peak resident memory of one run | $peak_mib MiB | 4 MiB | $(verdict "$peak_kib" 4095) |"
    echo
    echo "## No display"
    echo
    echo "| command | wall time (ms) |"
    echo "|---|---|"
    echo "| a program that only exits | $(fixed "$floor_wall") |"
    echo "| screen-size | $(fixed "$alone_wall") |"
    echo
    echo "## One Xvfb server (1920x1080, 96 dpi)"
    echo
    echo "| command | wall time (ms) | CPU time, user + system (ms) |"
    echo "|---|---|---|"
    for client in "${clients[@]}"; do
        name=$client
        [ "$client" == "$program" ] && name=screen-size
        echo "| \`$name\` | $(fixed "${wall[$client]}") | $(fixed "${cpu[$client]}") |"
    done
    echo "| a client that only loads libxcb, connects and leaves | | $(fixed "$xcb_floor_cpu") |"
    echo
    echo "The last row is the floor of any program that loads the X client library at run time:"
    echo "$(ratio "$xcb_floor_cpu" "${cpu[xrandr --current]}") x the CPU time of \`xrandr --current\` here."
    echo
    echo "## One weston session (headless, 1920x1080)"
    echo
    echo "| command | wall time (ms) | CPU time, user + system (ms) |"
    echo "|---|---|---|"
    echo "| \`screen-size\` | $(fixed "$(median_ms "$out/wayland.json" "$program")") | $(fixed "${wayland_cpu[0]}") |"
    echo "| \`wayland-info\` | $(fixed "$(median_ms "$out/wayland.json" wayland-info)") | $(fixed "${wayland_cpu[1]}") |"
    echo
    echo "## A slow link: every reply held ${delay} ms"
    echo
    echo "Through a proxy that holds each reply from the same server for ${delay} ms, as \`ssh -X\` or"
    echo "a remote server would; the round trips are the extra wall time over ${delay} ms."
    echo "$slow_runs runs of each."
    echo
    echo "| command | wall time (ms) | round trips |"
    echo "|---|---|---|"
    for client in "${clients[@]}"; do
        name=$client
        [ "$client" == "$program" ] && name=screen-size
        echo "| \`$name\` | $(fixed "${slow_wall[$client]}") | ${round_trips[$client]} |"
    done
} >"$here/RESULTS.md"
cat "$here/RESULTS.md"
