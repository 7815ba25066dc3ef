#!/usr/bin/env bash
# Runs the EDID fuzzer for a bounded time from a seed corpus of fixtures and real dumps.
source "$(dirname "$0")/../tests/lib.sh"
fuzzer=$1
edid_tool=$2
seconds=$3

corpus=$work_dir/corpus
mkdir -p "$corpus"
"$edid_tool" fixtures "$corpus" || exit 1
cp "$(dirname "$0")"/../tests/edid/*.bin "$corpus"/
printf 'card0-eDP-1' >"$corpus/connector-name"

"$fuzzer" -max_total_time="$seconds" -max_len=512 -timeout=5 -print_final_stats=1 \
    -artifact_prefix="$work_dir/" "$corpus" 2>"$work_dir/log"
status=$?
tail -n 12 "$work_dir/log"
if [ "$status" -ne 0 ]; then
    echo "FAIL: the fuzzer found a crash:"
    for artifact in "$work_dir"/crash-* "$work_dir"/leak-* "$work_dir"/timeout-*; do
        [ -f "$artifact" ] && od -An -tx1 "$artifact"
    done
    exit 1
fi
echo "1 passed, 0 failed"
