#!/usr/bin/env bash
# The pictures' engine exports a picture in each format, linked with nothing but the base layer:
# no widget, no window, no dialog.
# usage: export_alone.sh PROGRAM
set -euo pipefail
program="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
if readelf -d "$program" | grep -q 'libQt6Widgets'; then
  echo "the export program links QtWidgets"
  exit 1
fi
signature() { head -c "$2" "$1" | od -An -tx1 | tr -d ' \n'; }
QT_QPA_PLATFORM=offscreen "$program" "$work/logo.PNG" png
QT_QPA_PLATFORM=offscreen "$program" "$work/logo.TIF" tiff
QT_QPA_PLATFORM=offscreen "$program" "$work/logo.JPG" jpeg
[ "$(signature "$work/logo.PNG" 8)" = 89504e470d0a1a0a ] || { echo "no PNG written"; exit 1; }
[ "$(signature "$work/logo.TIF" 4)" = 49492a00 ] || { echo "no TIFF written"; exit 1; }
[ "$(signature "$work/logo.JPG" 3)" = ffd8ff ] || { echo "no JPEG written"; exit 1; }
echo "the pictures' engine exported PNG, TIFF and JPEG alone"
