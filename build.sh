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

packages=(
  build-essential cmake pkg-config git clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libgl-dev libegl-dev libgl1-mesa-dri libmpg123-dev libmp3lame-dev
  libjpeg-dev libpng-dev zlib1g-dev libfreetype-dev fonts-dejavu-core
  ffmpeg xvfb xauth xdotool x11-xserver-utils
  libpulse-dev pulseaudio pulseaudio-utils
)

install_packages() {
  local missing=()
  for p in "${packages[@]}"; do
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

build_plain() { configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVARO_WERROR=ON; }

build_sanitized() {
  configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DZELVARO_SANITIZE=ON -DZELVARO_FUZZ=ON -DZELVARO_WERROR=ON \
    -DZELVARO_BENCHMARKS=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
}

cmd=${1:-play}
shift || true
case "$cmd" in
  play)
    install_packages
    build_plain
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
    install_packages
    build_plain
    ctest --test-dir build --output-on-failure -j"$jobs"
    build_sanitized
    ctest --test-dir build-asan --output-on-failure -j"$jobs"
    ;;
  build)
    install_packages
    build_plain
    ;;
  *)
    echo "usage: ./build.sh play [--640] [--window] | test | build" >&2
    exit 2
    ;;
esac
