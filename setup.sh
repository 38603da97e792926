#!/usr/bin/env bash
# Dialwright's one set-up script: installs the Debian packages that are missing, builds, then
#   ./setup.sh run    starts the program
#   ./setup.sh test   runs the whole test suite (plain, then under ASan/UBSan, plus a fuzz pass)
#   ./setup.sh bench  builds and runs the big-list benchmarks (figures only; nothing gates on time)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
jobs="$(nproc 2>/dev/null || echo 2)"

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-liberation
  xvfb xauth xdotool xclip dbus at-spi2-core python3-pyatspi python3-xlib
  desktop-file-utils appstream
)

install_missing() {
  local missing=() package
  for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}

# build DIR [cmake options...] -- [targets...]
build() {
  local dir="$1"; shift
  local options=() targets=()
  while [ "$#" -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
  [ "$#" -gt 0 ] && shift
  targets=("$@")
  cmake -S "$root" -B "$root/$dir" -G Ninja "${options[@]}" >/dev/null
  if [ "${#targets[@]}" -gt 0 ]; then
    cmake --build "$root/$dir" --parallel "$jobs" --target "${targets[@]}"
  else
    cmake --build "$root/$dir" --parallel "$jobs"
  fi
}

run_tests() {
  local dir="$1"
  ctest --test-dir "$root/$dir" --parallel "$jobs" --no-tests=error --output-on-failure \
    --timeout 300
}

case "${1:-}" in
  run)
    install_missing
    build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDIALWRIGHT_E2E=OFF -- dialwright
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
      echo "No graphical display was found; to run Dialwright on a virtual display, use: xvfb-run -a ./setup.sh run" >&2
      exit 2
    fi
    exec "$root/build/src/dialwright"
    ;;
  test)
    install_missing
    export QT_QPA_PLATFORM=offscreen
    # Fuzz the number rules first: a short, bounded pass.
    CC=clang CXX=clang++ build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDIALWRIGHT_FUZZ=ON \
      -DDIALWRIGHT_TESTS=OFF -DDIALWRIGHT_WERROR=ON -- apply_digit_pattern_fuzz
    "$root/build-fuzz/tests/fuzz/apply_digit_pattern_fuzz" -runs=2000000 -max_len=96 -seed=1 \
      -print_final_stats=0 2>&1 | tail -n 2
    # Under AddressSanitizer and UndefinedBehaviorSanitizer.
    build build-sanitize -DCMAKE_BUILD_TYPE=Debug -DDIALWRIGHT_SANITIZE=ON -DDIALWRIGHT_WERROR=ON \
      -DDIALWRIGHT_E2E=OFF
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
      LSAN_OPTIONS="suppressions=$root/tests/support/lsan.supp:print_suppressions=0" \
      UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
      run_tests build-sanitize
    # The plain build, warnings as errors, with the end-to-end checks in a real X server; last,
    # so its summary closes the run.
    # The benchmarks are built here too, so they keep compiling; they run only by hand.
    build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDIALWRIGHT_WERROR=ON -DDIALWRIGHT_E2E=ON \
      -DDIALWRIGHT_BENCH=ON
    run_tests build
    ;;
  bench)
    install_missing
    export QT_QPA_PLATFORM=offscreen
    build build-bench -DCMAKE_BUILD_TYPE=Release -DDIALWRIGHT_BENCH=ON -DDIALWRIGHT_TESTS=OFF
    for program in "$root"/build-bench/bench/*_bench; do
      "$program"
    done
    ;;
  *)
    echo "usage: $0 run|test|bench" >&2
    exit 64
    ;;
esac
