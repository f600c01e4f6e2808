#!/usr/bin/env bash
# Renders the help box of @BYTEHAUL to a PNG for the user guide: a virtual display of its
# own, the box opened by help_window.exe --show, a screenshot with xwd, ImageMagick's
# convert to PNG, cut to the box.
#   bash tests/window/screenshot.sh BUILD_DIR [OUT.png]   (BUILD_DIR: the Windows build)
set -euo pipefail
build=$1
out=${2:-docs/help-bytehaul.png}
need=()
command -v xwd >/dev/null || need+=(x11-apps)
command -v convert >/dev/null || need+=(imagemagick)
command -v Xvfb >/dev/null || need+=(xvfb)
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 800x600x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1
# Wine's own desktop window draws the frames and title bars that no window manager would.
DISPLAY=$display wine explorer /desktop=bytehaul,640x360 "$build/bin/help_window.exe" "$build/bin/Bytehaul.dll" \
  --show @bytehaul </dev/null &
shower=$!
sleep 4
shot=$(mktemp --suffix=.xwd)
xwd -root -display "$display" -silent -out "$shot"
mkdir -p "$(dirname "$out")"
# Wine's desktop sits at the top left of the screen; the rest of the screen is cut away.
convert "$shot" -crop 640x360+0+0 +repage "$out"
rm -f "$shot"
wait "$shower" || true
echo "$out"
