#!/usr/bin/env bash
# The program against X servers that lie about lengths, go silent, trickle or flood, and
# against environments that starve or stall it (authority files that never end, no /dev/null,
# no signals, no processes, dropped packets): every case ends within the limit with one valid
# line, exit status 0 and nothing on standard error.
# usage: x11_hostile_test.sh PROGRAM FAKE_X_SERVER SANITIZED(ON|OFF)
source "$(dirname "$0")/lib.sh"
program=$1
export FAKE_X_SERVER=$2
sanitized=$3
require_tool timeout coreutils
[ "$(id -u)" -eq 0 ] || skip_or_fail "the checks use namespaces and other users: run them as root"
require_tool unshare util-linux
require_tool setpriv util-linux
require_tool ip iproute2
require_tool iptables iptables

out=$work_dir/out
err=$work_dir/err
nothing=$(env -u DISPLAY "$program") # what the program says when no display answers
monitor=$(report_line 597 336)       # the fake server's monitor, as RandR gives it
from_edid=$(report_line 344 194)     # its EDID, when one is planted: aoc-1670w.bin
unknown=$(report_line 0 0)           # a display that answered and knows no size
edid=$(cd "$(dirname "$0")/edid" && pwd)/aoc-1670w.bin
limit=10                             # the program's 5 s, with a margin

# expect WHAT LINE COMMAND...: the command ends within the limit with LINE, exit status 0 and
# nothing on standard error.
expect() {
    local what=$1 line=$2
    shift 2
    local started=$SECONDS bound=(timeout 60)
    [ "$(type -t "$1")" != function ] || bound=() # the function bounds what it runs
    "${bound[@]}" "$@" >"$out" 2>"$err"
    local status=$? waited=$((SECONDS - started))
    check "$what: the line" "$line" "$(cat "$out")"
    check "$what: exit 0, nothing on standard error, within $limit s" "0 '' yes" \
        "$status '$(cat "$err")' $([ "$waited" -le "$limit" ] && echo yes || echo "no: ${waited}s")"
}

# Servers that lie or stall, over the unix socket (":N") and over loopback TCP.
while IFS='|' read -r mode screen expected with_edid; do
    start_fake_x "$mode" ${with_edid:+"$edid"}
    expect "$mode, :$display$screen" "${!expected}" env DISPLAY=":$display$screen" "$program"
    expect "$mode, over TCP" "${!expected}" env DISPLAY="127.0.0.1:$display$screen" "$program"
done <<'EOF'
honest||monitor
honest||from_edid|edid
no-randr||unknown
vendor-length||nothing
screen-count|.0|monitor
screen-count|.3|nothing
depth-count||nothing
visual-count||nothing
resources-counts||unknown|edid
output-info-short||unknown|edid
property-items||monitor|edid
silent-after-setup||nothing
silent-after-randr||nothing
trickle||from_edid|edid
flood||from_edid|edid
many-outputs||from_edid|edid
EOF

# The environment: an honest server, and what stands between the program and it.
start_fake_x honest
honest=:$display
mkfifo "$work_dir/fifo"
mkdir "$work_dir/folder"
while IFS='|' read -r what expected command; do
    expect "$what" "${!expected}" env DISPLAY="$honest" WORK="$work_dir" bash -c "$command" \
        "$program"
done <<'EOF'
an authority file that never ends (/dev/zero)|nothing|XAUTHORITY=/dev/zero exec "$0"
an authority file that never opens (a FIFO)|nothing|XAUTHORITY=$WORK/fifo exec "$0"
an authority file that is a folder|monitor|XAUTHORITY=$WORK/folder exec "$0"
no pending signals allowed (ulimit -i 0)|monitor|ulimit -i 0 && exec "$0"
EOF
start_fake_x silent-after-setup
silent=:$display
expect "a silent server with no pending signals allowed (ulimit -i 0)" "$nothing" \
    env DISPLAY="$silent" bash -c 'ulimit -i 0 && exec "$0"' "$program"

# No /dev/null: the library's messages still go nowhere, and the limit still holds.
without_dev_null() {
    unshare --mount --propagation private sh -c 'mount -t tmpfs none /dev && exec timeout 60 "$@"' sh "$@"
}
expect "no /dev/null, an honest server" "$monitor" without_dev_null env DISPLAY="$honest" "$program"
expect "no /dev/null, a silent server" "$nothing" without_dev_null env DISPLAY="$silent" "$program"

# No process to spare: the child cannot be started, so no display answered. (Root is not
# held to ulimit -u, so the program runs as nobody; LeakSanitizer's own check at exit needs a
# process of its own, so it is left out there.)
cp "$program" "$work_dir/program" && chmod 755 "$work_dir" "$work_dir/program"
expect "fork refused (ulimit -u 1)" "$nothing" env DISPLAY="$honest" ASAN_OPTIONS=detect_leaks=0 \
    setpriv --reuid=65534 --regid=65534 --clear-groups bash -c 'ulimit -u 1 && exec "$0"' \
    "$work_dir/program"

# Many outputs in little memory: a defined outcome. AddressSanitizer needs far more address
# space than the limit allows, so this case runs in the plain build only.
if [ "$sanitized" != ON ]; then
    start_fake_x many-outputs
    expect "65535 outputs under ulimit -v 14000" "$monitor" \
        env DISPLAY=":$display" bash -c 'ulimit -v 14000 && exec "$0"' "$program"
else
    echo "note: the ulimit -v case runs in the plain build (AddressSanitizer needs the space)"
fi

# The network, in a namespace of this test's own: a host name whose two addresses drop every
# packet, and a resolver that drops every query. Only loopback addresses inside it are used.
in_private_network() {
    unshare --net --mount --propagation private bash -c '
        ip link set lo up &&
        iptables -A OUTPUT -d 127.9.0.1 -j DROP && iptables -A OUTPUT -d 127.9.0.2 -j DROP &&
        iptables -A OUTPUT -d 127.9.0.53 -j DROP &&
        mount --bind "$0/hosts" /etc/hosts && mount --bind "$0/resolv.conf" /etc/resolv.conf &&
        exec timeout 60 "$@"' "$work_dir" "$@"
}
printf '127.0.0.1 localhost\n127.9.0.1 dropping.test\n127.9.0.2 dropping.test\n' \
    >"$work_dir/hosts"
printf 'nameserver 127.9.0.53\noptions attempts:3 timeout:5\n' >"$work_dir/resolv.conf"
expect "a host whose two addresses drop packets" "$nothing" \
    in_private_network env DISPLAY=dropping.test:0 "$program"
expect "a resolver that drops packets" "$nothing" \
    in_private_network env DISPLAY=unknown.example.org:0 "$program"

# Writing the line with no descriptor to spare: the reason still reaches standard error
# (plain build only: AddressSanitizer's start loops for ever without three free descriptors).
if [ "$sanitized" != ON ]; then
    DISPLAY=$honest bash -c 'ulimit -n 3 && exec "$0"' "$program" <&- >/dev/full 2>"$err"
    check "ulimit -n 3, standard input closed, a full device: exit 1" 1 "$?"
    check "ulimit -n 3, standard input closed, a full device: the reason" \
        "screen-size: write error: No space left on device" "$(cat "$err")"
fi

finish
