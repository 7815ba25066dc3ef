#!/usr/bin/env bash
# Installs the Debian packages that building (`build`), building and testing (`test`), or the
# benchmark (`bench`) needs. Run it as root, or with sudo.
set -euo pipefail

build_packages=(cmake g++ make libxcb1-dev libxcb-randr0-dev
    libwayland-dev libwayland-bin wayland-protocols libsystemd-dev)
test_packages=(
    libgtest-dev                # unit tests
    jq                          # reads the JSON line
    xvfb x11-utils xauth        # real X servers, and xdpyinfo to compare with
    xserver-xephyr x11-xserver-utils  # a nested server to turn with xrandr
    g++-mingw-w64-x86-64-posix  # the Windows program
    wine64                      # runs it, and the X libraries its display driver loads to
    libxrandr2 libxrender1 libxinerama1 libxcursor1 libxi6 libxcomposite1 libxfixes3 libxxf86vm1
    edid-decode                 # cross-checks the EDID parser
    util-linux                  # unshare and setpriv: private mounts, networks and users
    iproute2 iptables           # a private network that drops packets
    weston wayland-utils dbus-daemon  # a real compositor, wayland-info, a private session bus
    clang libclang-rt-14-dev    # the EDID fuzzer (libFuzzer)
    clang-format clang-tidy     # layout and lint gates
    mandoc                      # lints the man page
    dpkg-dev zip unzip man-db   # builds, packs, unpacks and reads the packages
    build-essential debhelper lintian devscripts autopkgtest  # the Debian package, its checks
)
bench_packages=(hyperfine xvfb x11-utils x11-xserver-utils jq gcc time weston wayland-utils)

case "${1:-}" in
build) packages=("${build_packages[@]}") ;;
test) packages=("${build_packages[@]}" "${test_packages[@]}") ;;
bench) packages=("${build_packages[@]}" "${bench_packages[@]}") ;;
*)
    echo "usage: $0 build|test|bench" >&2
    exit 2
    ;;
esac

export DEBIAN_FRONTEND=noninteractive
# Another apt (an unattended upgrade, say) may hold the dpkg lock for a while: wait for it.
wait_for_lock=(-o DPkg::Lock::Timeout=600)
apt-get "${wait_for_lock[@]}" update
# Recommendations are left out: every package a check needs is named above.
apt-get "${wait_for_lock[@]}" install -y --no-install-recommends "${packages[@]}"
