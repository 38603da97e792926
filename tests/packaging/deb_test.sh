#!/usr/bin/env bash
# Builds the .deb and checks that it carries the program, its pointer files and desktop files.
set -euo pipefail
build="$1"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
package="$(ls "$out"/*.deb)"
contents="$(dpkg-deb -c "$package")"
for file in ./usr/libexec/dialwright/dialwright ./usr/libexec/dialwright/HAND-M.CUR \
            ./usr/libexec/dialwright/drag.ico ./usr/bin/dialwright \
            ./usr/share/applications/example.dialwright.Dialwright.desktop \
            ./usr/share/metainfo/example.dialwright.Dialwright.metainfo.xml \
            ./usr/share/icons/hicolor/scalable/apps/example.dialwright.Dialwright.svg; do
  grep -q -- " $file" <<<"$contents" || { echo "missing from the package: $file" >&2; exit 1; }
done
dpkg-deb -f "$package" Package Version Depends
