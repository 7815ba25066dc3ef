#!/usr/bin/env bash
# Installs the Debian packages that building (`build`) or building and testing (`test`) needs.
# Run it as root, or with sudo.
set -euo pipefail

build_packages=(cmake g++ make libxcb1-dev libxcb-randr0-dev)
test_packages=(
    libgtest-dev                # unit tests
    jq                          # reads the JSON line
    xvfb x11-utils xauth        # real X servers, and xdpyinfo to compare with
    g++-mingw-w64-x86-64-posix  # the Windows program
    wine64                      # runs it
    edid-decode                 # cross-checks the EDID parser
    util-linux                  # unshare, for the DRM check's private /sys/class
    clang libclang-rt-14-dev    # the EDID fuzzer (libFuzzer)
)

case "${1:-}" in
build) packages=("${build_packages[@]}") ;;
test) packages=("${build_packages[@]}" "${test_packages[@]}") ;;
*)
    echo "usage: $0 build|test" >&2
    exit 2
    ;;
esac

export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y "${packages[@]}"
