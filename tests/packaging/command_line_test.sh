#!/usr/bin/env bash
# --help and --version answer without a display and exit 0; an unknown option gets a short
# usage message and exit status 2.
set -uo pipefail
program="$1"
fail() { echo "$*" >&2; exit 1; }
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@"; }

out="$(run --help)" || fail "--help exited $?"
grep -q '^Usage: dialwright \[OPTION\]... \[FILE\]...$' <<<"$out" || fail "--help said: $out"
out="$(run -v)" || fail "-v exited $?"
[ "$out" = "dialwright 0.1.0" ] || fail "-v said: $out"
err="$(run --no-such-option 2>&1 >/dev/null)"
status=$?
[ "$status" -eq 2 ] || fail "an unknown option exited $status"
grep -q "unknown option --no-such-option" <<<"$err" || fail "an unknown option said: $err"
err="$(run -style 2>&1 >/dev/null)"
[ $? -eq 2 ] || fail "a Qt option without its value was taken"
# A Qt option with its value passes to Qt: only the missing display stops the program then.
err="$(run -style fusion 2>&1 >/dev/null)"
[ $? -eq 2 ] && grep -q "graphical display" <<<"$err" || fail "-style fusion: $err"
echo "command line: help, version, unknown option and Qt's options as expected"
