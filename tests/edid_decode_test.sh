#!/usr/bin/env bash
# Our EDID parser against edid-decode: for every fixture and real dump, the base block's
# "Maximum image size" and the first detailed timing's millimetres are what we read.
source "$(dirname "$0")/lib.sh"
edid_tool=$1
require_tool edid-decode edid-decode

"$edid_tool" fixtures "$work_dir" || exit 1
for edid in "$work_dir"/*.bin "$(dirname "$0")"/edid/*.bin; do
    name=$(basename "$edid")
    decoded=$(edid-decode "$edid" 2>&1)
    # "Maximum image size: 52 cm x 29 cm"; edid-decode words a 0 byte otherwise.
    centimetres=$(sed -n 's/^ *Maximum image size: \([0-9]*\) cm x \([0-9]*\) cm.*/cm \1 \2/p' <<<"$decoded")
    read -r cm_width cm_height < <(od -An -tu1 -j 21 -N 2 "$edid")
    if [ -z "$centimetres" ]; then
        # Only a block without both sizes may lack the line.
        check "$name: edid-decode gives no size only when a byte is 0" yes \
            "$([ "$cm_width" -eq 0 ] || [ "$cm_height" -eq 0 ] && echo yes || echo no)"
        centimetres="cm $cm_width $cm_height"
    fi
    # "DTD 1:  1920x1080 ... (521 mm x 293 mm)"; without the brackets when both are 0.
    dtd=$(grep -m1 '^ *DTD 1:' <<<"$decoded")
    timing=$(sed -n 's/.*(\([0-9]*\) mm x \([0-9]*\) mm).*/mm \1 \2/p' <<<"$dtd")
    if [ -z "$dtd" ]; then
        timing="mm none"
    elif [ -z "$timing" ]; then
        timing="mm 0 0"
    fi
    check "$name: edid-decode and our parser read the same sizes" \
        "$(printf '%s\n%s' "$centimetres" "$timing")" "$("$edid_tool" read "$edid")"
done

finish
