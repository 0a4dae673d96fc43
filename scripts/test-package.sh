#!/usr/bin/env bash
# Builds the .deb from an existing build tree (default: build), lists its
# contents, unpacks it into a temporary root and runs the unpacked korvan
# from there. Fails when the package lacks a file it must carry.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

echo "== package (.deb) =="
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/*.deb | head -n 1)
echo "$deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
contents=$(dpkg-deb --contents "$deb")
echo "$contents"
for f in ./usr/bin/korvan ./usr/bin/detector-sim ./usr/bin/KorvanSensorSetup \
         ./usr/share/applications/korvan-sensor-setup.desktop \
         ./usr/share/icons/hicolor/scalable/apps/korvan-sensor-setup.svg; do
  if ! grep -q " $f\$" <<<"$contents"; then
    echo "package lacks $f" >&2; exit 1
  fi
done
dpkg-deb --field "$deb" Depends | grep -q 'libc6' || { echo "package names no dependencies" >&2; exit 1; }

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$root/usr/share/applications/korvan-sensor-setup.desktop"
fi
"$root/usr/bin/korvan" --version
# The window program answers --version without a display.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/KorvanSensorSetup" --version)
grep -q '^KorvanSensorSetup [0-9]' <<<"$version" || { echo "KorvanSensorSetup --version gave: $version" >&2; exit 1; }
echo "$version"
"$root/usr/bin/korvan" --help >/dev/null
echo "package ok"
