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
    mapfile -t native < <(ls src/*.cpp | grep -v '^src/win32_')
    report=$(clang-tidy -p "$build_dir" --quiet "${native[@]}" 2>&1 | grep -E '(warning|error):' || true)
    check "clang-tidy: src/ is clean" "" "$report"
    # The Windows sources, as the mingw-w64 build compiles them, with its C++ headers.
    if [ -f "$build_dir/windows/compile_commands.json" ]; then
        mapfile -t includes < <(echo | x86_64-w64-mingw32-g++-posix -xc++ -E -v - 2>&1 |
            sed -n '/#include <...> search starts here:/,/End of search list./p' |
            grep '^ ' | grep -v 'posix/include$\|include-fixed' | sed 's/^ */--extra-arg=-isystem/')
        report=$(clang-tidy -p "$build_dir/windows" --quiet --extra-arg=--target=x86_64-w64-mingw32 \
            "${includes[@]}" src/win32_*.cpp 2>&1 | grep -E '(warning|error):' || true)
        check "clang-tidy: the Windows sources are clean" "" "$report"
    else
        skip_or_fail "no Windows build to lint src/win32_*.cpp with; install the Debian package g++-mingw-w64-x86-64-posix"
    fi
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
