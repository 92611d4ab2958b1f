#!/usr/bin/env bash
# Set-up, build, play and test zelvaro on Debian 12 (run as root for the
# package installation; once the packages are there any user can run it).
#
#   ./build.sh play [--640] [--window]   install, build, play the show (full
#                                        screen, or in a resizable window)
#   ./build.sh test                      install, build, run every test
#                                        (plain build, then ASan + UBSan)
#   ./build.sh build                     install and build only
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

# What building and playing need; the tests need test_packages as well.
packages=(
  build-essential cmake pkg-config git
  libsdl2-dev libgl-dev libegl-dev libgl1-mesa-dri libmpg123-dev libmp3lame-dev
  libjpeg-dev libpng-dev libfreetype-dev fonts-dejavu-core libpulse-dev
  ffmpeg
)
test_packages=(
  clang libclang-rt-14-dev libgtest-dev libbenchmark-dev xvfb xauth xdotool x11-xserver-utils
  pulseaudio pulseaudio-utils wine64 g++-mingw-w64-x86-64
)

install_packages() {  # package...
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
      echo "build.sh: these Debian packages are missing; run as root to install them: ${missing[*]}" >&2
      exit 1
    fi
    echo "build.sh: installing ${missing[*]}"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
}

configure_and_build() {  # dir, extra cmake arguments...
  local dir=$1; shift
  cmake -S "$root" -B "$root/$dir" "$@" >/dev/null
  cmake --build "$root/$dir" -j"$jobs"
}

# build/ holds the programs and, after `test`, the tests too. Every command
# says whether it wants the tests, so `play` and `build` never need GoogleTest
# and a later `test` switches them on again (the objects built before stay).
build_plain() {  # ON or OFF: with the tests
  configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVARO_WERROR=ON -DZELVARO_TESTS="$1"
}

build_sanitized() {
  configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DZELVARO_SANITIZE=ON -DZELVARO_FUZZ=ON -DZELVARO_WERROR=ON \
    -DZELVARO_BENCHMARKS=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
}

cmd=${1:-play}
shift || true
case "$cmd" in
  play)
    install_packages "${packages[@]}"
    build_plain OFF
    program=zelvaro
    args=()
    for a in "$@"; do
      case "$a" in
        --640) program=zelvaro-640 ;;
        *) args+=("$a") ;;
      esac
    done
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      echo "build.sh: no display (DISPLAY is not set); start it from a desktop session," \
           "or capture the show to video with build/zelvaro-capture (see README.md)" >&2
      exit 1
    fi
    cd "$root/build/data"
    exec "$root/build/$program" "${args[@]}"
    ;;
  test)
    install_packages "${packages[@]}" "${test_packages[@]}"
    build_plain ON
    ctest --test-dir build --output-on-failure -j"$jobs"
    # The whole-show checks take minutes; the plain build runs them.
    build_sanitized
    ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE show_long
    ;;
  build)
    install_packages "${packages[@]}"
    build_plain OFF
    ;;
  *)
    echo "usage: ./build.sh play [--640] [--window] | test | build" >&2
    exit 2
    ;;
esac
