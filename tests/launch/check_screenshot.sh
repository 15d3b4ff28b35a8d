#!/bin/sh
# Shows the launch screen through LaunchScreenDemo in a fresh folder holding
# the stand-in font and watermark, and compares its picture with the one
# the README shows, so that a change of the painting is noticed.
#
#   check_screenshot.sh EMULATOR DEMO.exe FIXTURES_DIR WORK_DIR README_PICTURE.png
set -eu
emulator=$1 demo=$2 fixtures=$3 work=$4 picture=$5
rm -rf "$work"
mkdir -p "$work"
cp "$fixtures/VENUSRIS.ttf" "$fixtures/KVR-WM.bmp" "$work/"
cd "$work"
"$emulator" "$demo" --capture launch-screen.bmp >demo.log 2>&1 || {
    echo "LaunchScreenDemo failed:"; cat demo.log; exit 1; }
/usr/bin/python3 - launch-screen.bmp "$picture" <<'PY'
import sys
from PIL import Image, ImageChops
made, readme = (Image.open(p).convert("RGB") for p in sys.argv[1:3])
if made.size != readme.size:
    sys.exit(f"the launch screen is {made.size}, the README's picture {readme.size}; run tools/screenshot")
box = ImageChops.difference(made, readme).getbbox()
if box:
    sys.exit(f"the launch screen differs from the README's picture within {box}; run tools/screenshot")
print("the launch screen looks as the README shows it")
PY
