#!/usr/bin/env bash
# Dialwright's one set-up script: installs the Debian packages that are missing, builds, then
#   ./setup.sh run    starts the program
#   ./setup.sh test   runs the whole test suite (unit suites under ASan/UBSan, the real program's
#                     end-to-end and packaging checks, a fuzz pass and the static analysis)
#   ./setup.sh bench  builds and runs the big-list benchmarks (figures only; nothing gates on time)
#   ./setup.sh package  builds the Debian packages beside this folder and checks them with lintian
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
jobs="$(nproc 2>/dev/null || echo 2)"

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libphonenumber-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-tidy clazy
  fonts-liberation mawk time parallel
  xvfb xauth xdotool xclip dbus at-spi2-core python3-pyatspi python3-xlib
  desktop-file-utils appstream
  debhelper dpkg-dev lintian
  acl
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

# Every build is a preset in CMakePresets.json: configure it, then build it.
build() {
  local preset="$1" build_preset="${2:-$1}"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$build_preset" --parallel "$jobs"
}

# Each stage of the test command says when it starts, so a slow run shows where its time went.
stage() {
  echo "== $1 (at $((SECONDS - began)) s)"
}
began=$SECONDS

run_tests() {
  ctest --preset "$1" --parallel "$jobs"
}

case "${1:-}" in
  run)
    install_missing
    build plain program
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
      echo "No graphical display was found; to run Dialwright on a virtual display, use: xvfb-run -a ./setup.sh run" >&2
      exit 2
    fi
    exec "$root/build/src/dialwright"
    ;;
  test)
    install_missing
    # Test discovery starts the test programs while building; they need no display.
    export QT_QPA_PLATFORM=offscreen
    status=0
    # Each room of src/ includes only what it may touch (see tests/analysis/rooms.py).
    stage "rooms"
    python3 "$root/tests/analysis/rooms.py" "$root" || status=1
    stage "fuzzing targets: build"
    build fuzz
    # The unit suites, built once with clang under AddressSanitizer and
    # UndefinedBehaviorSanitizer; the benchmarks are built there too, so they keep compiling
    # (they run only by hand, from their own optimised build).
    stage "sanitizer build"
    build sanitize
    stage "sanitizer tests"
    run_tests sanitize || status=1
    # The plain build of the program, with gcc and warnings as errors, for the checks of the real
    # program.
    stage "plain build"
    build plain
    # The end-to-end checks mostly wait on their X servers, so the fuzzing pass and the static
    # analysis run beside them, below them in priority; each background job leads its own
    # process group, so that an interrupted run stops it whole.
    stage "end-to-end and packaging checks, fuzzing pass, static analysis"
    setsid ctest --preset plain --parallel "$jobs" > "$root/build/tests.log" 2>&1 &
    tests=$!
    setsid "$root/tests/fuzz/pass.sh" "$root/build-fuzz" > "$root/build-fuzz/fuzz.log" 2>&1 &
    fuzzing=$!
    trap 'kill -- -"$tests" -"$fuzzing" 2>/dev/null || true' EXIT
    trap 'exit 130' INT TERM
    # clang-tidy over every file of the product, the tests, the benchmarks and the fuzzing
    # targets, and clazy's Qt checks over the product code; any finding fails.
    python3 "$root/tests/analysis/analyse.py" "$root" "$jobs" \
      "$root/build-sanitize/compile_commands.json" "$root/build/compile_commands.json" \
      "$root/build-fuzz/compile_commands.json" || status=1
    if wait "$fuzzing"; then
      grep -E "^Done" "$root/build-fuzz/fuzz.log"
    else
      cat "$root/build-fuzz/fuzz.log"
      echo "The fuzzing pass found the problem above" >&2
      status=1
    fi
    stage "waiting for the end-to-end and packaging checks"
    wait "$tests" || status=1
    trap - EXIT INT TERM
    cat "$root/build/tests.log"
    stage "done"
    exit "$status"
    ;;
  bench)
    install_missing
    export QT_QPA_PLATFORM=offscreen
    build bench
    for program in "$root"/build-bench/bench/*_bench; do
      "$program"
    done
    ;;
  package)
    install_missing
    # Debian's own way: debhelper builds with the CMake install; the packages (and the
    # debugging symbols' -dbgsym package) land in the folder that holds this one.
    (cd "$root" && dpkg-buildpackage --build=binary --no-sign)
    changes="$(dirname "$root")/dialwright_$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)_$(dpkg-architecture -q DEB_HOST_ARCH).changes"
    lintian --fail-on error,warning --display-info "$changes"
    echo "Packages: $(sed -n 's/^ [0-9a-f]\{32\} [0-9]* [a-z]* [a-z]* \(.*\.deb\)$/\1/p' "$changes" | tr '\n' ' ')"
    ;;
  *)
    echo "usage: $0 run|test|bench|package" >&2
    exit 64
    ;;
esac
