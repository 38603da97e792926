#!/usr/bin/env bash
# Installs into a scratch root and checks what a desktop needs: the entry and metainfo
# validate, the icon is in the hicolor theme, and the program started from the entry's Exec
# line finds the pointer files that ship beside it.
set -euo pipefail
build="$1"
source="$2"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
entry="$root/usr/share/applications/example.dialwright.Dialwright.desktop"
desktop-file-validate "$entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/example.dialwright.Dialwright.metainfo.xml"
test -f "$root/usr/share/icons/hicolor/scalable/apps/example.dialwright.Dialwright.svg"
test -f "$root/usr/libexec/dialwright/HAND-M.CUR"
test -f "$root/usr/libexec/dialwright/drag.ico"

exec_line="$(sed -n 's/^Exec=//p' "$entry")"
program="$(PATH="$root/usr/bin:$PATH" command -v "${exec_line%% *}")"
case "$program" in
  "$root/usr/bin/"*) ;;
  *) echo "the Exec line starts $program, not the installed program" >&2; exit 1 ;;
esac
/usr/bin/python3 "$source/tests/e2e/e2e.py" "$program" pointer_files
