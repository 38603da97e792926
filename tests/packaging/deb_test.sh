#!/usr/bin/env bash
# Builds the Debian packages with the README's command from a copy of the tracked tree, which
# also runs lintian and fails on any error or warning; then unpacks the package into a scratch
# folder (nothing is installed into this machine) and starts the unpacked program under Xvfb
# with a file to open: its lines must be in the phone list.
set -euo pipefail
source="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

mkdir "$work/dialwright"
git -C "$source" ls-files -z | (cd "$source" && xargs -0 tar -cf - --no-recursion) \
  | tar -C "$work/dialwright" -xf -
# Below the end-to-end checks that run beside it in priority, so that they keep their pace.
(cd "$work/dialwright" && nice -n 5 ./setup.sh package) > "$work/package.log" 2>&1 || {
  cat "$work/package.log" >&2
  exit 1
}
package="$(ls "$work"/dialwright_*.deb)"
ls "$work"/dialwright-dbgsym_*.deb >/dev/null

root="$work/root"
dpkg-deb -x "$package" "$root"
for file in usr/bin/dialwright usr/libexec/dialwright/dialwright usr/libexec/dialwright/HAND-M.CUR \
            usr/share/man/man1/dialwright.1.gz usr/share/doc/dialwright/copyright \
            usr/share/applications/example.dialwright.Dialwright.desktop; do
  test -e "$root/$file" || { echo "missing from the package: $file" >&2; exit 1; }
done
dpkg-deb -f "$package" Package Version Depends
# Stripped: the symbols are in the -dbgsym package.
if readelf -S "$root/usr/libexec/dialwright/dialwright" | grep -q ' \.symtab\| \.debug_info'; then
  echo "the program is not stripped" >&2
  exit 1
fi
/usr/bin/python3 "$source/tests/e2e/e2e.py" "$root/usr/bin/dialwright" open_with
