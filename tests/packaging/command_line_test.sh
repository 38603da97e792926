#!/usr/bin/env bash
# --help and --version answer without a display and exit 0; an unknown option gets a short
# usage message and exit status 2. Files named after "--" are files, never Qt's options, are
# taken by their bytes, and those missing are named on standard error, one line each, while the
# program stays up with its window.
set -uo pipefail
program="$(realpath "$1")"
fail() { echo "$*" >&2; exit 1; }
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@"; }

out="$(run --help)" || fail "--help exited $?"
grep -q '^Usage: dialwright \[OPTION\]... \[FILE\]...$' <<<"$out" || fail "--help said: $out"
out="$(run -v)" || fail "-v exited $?"
[ "$(printf '%s' "$out" | head -n 1)" = "dialwright 0.1.0" ] || fail "-v said: $out"
printf '%s' "$out" | grep -Eq '^Country rules: the numbering plans of libphonenumber [0-9]+\.[0-9]+' \
  || fail "-v names no numbering plans: $out"
err="$(run --no-such-option 2>&1 >/dev/null)"
status=$?
[ "$status" -eq 2 ] || fail "an unknown option exited $status"
grep -q "unknown option --no-such-option" <<<"$err" || fail "an unknown option said: $err"
err="$(run -style 2>&1 >/dev/null)"
[ $? -eq 2 ] || fail "a Qt option without its value was taken"
# A Qt option with its value passes to Qt: only the missing display stops the program then.
err="$(run -style fusion 2>&1 >/dev/null)"
[ $? -eq 2 ] && grep -q "graphical display" <<<"$err" || fail "-style fusion: $err"

# The real program on a real X server.
work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
# -noreset: the server would reset when its last client leaves, and a program started in that
# moment finds no display.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export LC_ALL=C.UTF-8

mkdir "$work/files" && cd "$work/files" || fail "no work folder"
printf '6034343563\n' >"$(printf 'caf\xe9.txt')"
missing=()
for i in $(seq 10000); do missing+=("missing-$i.txt"); done
# After "--", -display and -platform are names of files (missing ones here): Qt must neither
# open the display "nosuch" nor run without a window.
"$program" -- -display nosuch -platform offscreen "$(printf 'caf\xe9.txt')" \
    "$(printf 'gone\xe9.txt')" "${missing[@]}" 2>"$work/stderr" &
pids+=($!)
app=$!
for _ in $(seq 300); do
    count="$(grep -ac '^dialwright: ' "$work/stderr" 2>/dev/null)"
    [ "${count:-0}" -ge 10005 ] && break
    kill -0 "$app" 2>/dev/null || fail "the program ended: $(tail -n3 "$work/stderr")"
    sleep 0.1
done
grep -a '^dialwright: ' "$work/stderr" >"$work/reported"
expected="$work/expected"
{
    for name in -display nosuch -platform offscreen "$(printf 'gone\xe9.txt')" "${missing[@]}"; do
        echo "dialwright: $name: No such file or directory"
    done
} >"$expected"
cmp -s "$expected" "$work/reported" ||
    fail "standard error: $(diff "$expected" "$work/reported" | head -n5)"
for _ in $(seq 100); do
    xdotool search --name '^Dialwright$' >/dev/null 2>&1 && break
    sleep 0.1
done
xdotool search --name '^Dialwright$' >/dev/null 2>&1 || fail "no window on the X server"
kill -0 "$app" 2>/dev/null || fail "the program ended after reporting"
kill "$app"

# Alone after "--", -display is a file's name too; Qt never tries to open the display "nosuch".
"$program" -- -display nosuch 2>"$work/stderr" &
pids+=($!)
app=$!
for _ in $(seq 100); do
    grep -aq '^dialwright: nosuch: ' "$work/stderr" 2>/dev/null && break
    sleep 0.1
done
sleep 0.5
kill -0 "$app" 2>/dev/null || fail "-- -display nosuch: $(tail -n3 "$work/stderr")"
grep -aq '^dialwright: nosuch: No such file or directory$' "$work/stderr" ||
    fail "-- -display nosuch said: $(tail -n3 "$work/stderr")"
echo "command line: help, version, options, files after --, names as bytes, missing files"
