#!/bin/sh
# Packs the Windows program's folder into its zip, the same bytes from the same sources
# wherever it runs: a fixed order, fixed modes, every time stamp the last commit's (or
# SOURCE_DATE_EPOCH's), no extra attributes (owners, access times).
# usage: make-zip.sh STAGING_DIR ZIP SOURCE_DIR
set -eu
stage=$1 zip=$2 sources=$3
command -v zip >/dev/null || { echo "make-zip.sh: zip not found; install the Debian package zip" >&2; exit 1; }
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$sources" log -1 --format=%ct 2>/dev/null || echo 315532800)}
cd "$stage"
chmod 644 LICENSE.txt README.txt
chmod 755 screen-size.exe
TZ=UTC0 touch -d "@$epoch" LICENSE.txt README.txt screen-size.exe
rm -f "$zip"
TZ=UTC0 zip -q -X "$zip" LICENSE.txt README.txt screen-size.exe
