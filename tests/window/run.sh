#!/usr/bin/env bash
# Runs the help window checks under Wine on a virtual display that only they see: the
# other tests rely on a message box returning at once without a display, so DISPLAY is
# set for this command alone. A time limit keeps a box nobody closes from hanging the run.
#   run.sh WINE HELP_WINDOW_EXE BYTEHAUL_DLL
set -u
wine=$1 exe=$2 dll=$3
command -v xvfb-run >/dev/null || { echo "xvfb-run not found (package xvfb): skipped"; exit 77; }
# Wine's desktop belongs to the running wine server, which keeps the display it was started
# with: a server of the other tests, started without a display, would open no window. So
# the boxes get a Wine prefix, and with it a server, of their own (made on the first run,
# a few seconds), and any server of that prefix still lingering is waited for.
export WINEPREFIX
WINEPREFIX=$(cd "$(dirname "$exe")/.." && pwd)/wine-window
server=$(dirname "$(command -v "$wine")")/wineserver
[ -x "$server" ] || server=/usr/lib/wine/wineserver
[ -x "$server" ] && timeout 30 "$server" -w
timeout -k 10 200 xvfb-run -a -s "-screen 0 1024x768x24" "$wine" "$exe" "$dll" </dev/null
