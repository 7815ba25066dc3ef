#!/usr/bin/env bash
# The project's quality gates, one per call:
#   lint_test.sh format SOURCE_DIR            clang-format leaves every C++ file as it is
#   lint_test.sh tidy SOURCE_DIR BUILD_DIR    clang-tidy finds nothing in the program's sources
#   lint_test.sh manpage SOURCE_DIR           mandoc finds no warning in the man page
source "$(dirname "$0")/lib.sh"
gate=$1
source_dir=$2
cd "$source_dir" || exit 1

case "$gate" in
format)
    require_tool clang-format clang-format
    mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c' 2>/dev/null || find src tests fuzz bench -name '*.cpp' -o -name '*.h' -o -name '*.c')
    report=$(clang-format --dry-run -Werror "${files[@]}" 2>&1)
    check "clang-format: ${#files[@]} files as formatted" "" "$report"
    ;;
tidy)
    require_tool clang-tidy clang-tidy
    build_dir=$3
    [ -f "$build_dir/compile_commands.json" ] || { echo "FAIL: no compile_commands.json in $build_dir"; exit 1; }
    report=$(clang-tidy -p "$build_dir" --quiet src/*.cpp 2>&1 | grep -E '(warning|error):' || true)
    check "clang-tidy: src/ is clean" "" "$report"
    ;;
manpage)
    require_tool mandoc mandoc
    # Warnings and worse; the style notes about this machine's man database do not count.
    report=$(mandoc -Tlint -W warning man/screen-size.1 2>&1)
    check "mandoc -Tlint: no warning in screen-size.1" "" "$report"
    ;;
*)
    echo "usage: $0 format|tidy|manpage SOURCE_DIR [BUILD_DIR]"
    exit 2
    ;;
esac
finish
