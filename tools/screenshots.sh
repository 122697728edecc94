#!/bin/sh
# Screenshots of the main window under a private X server of 1920 x 1080:
# default size and maximised, the camera page with its drawers, the measure
# and calibration pages, in English and Chinese (or the languages given:
# 0 English, 1 Chinese, 2 Korean, 3 Indonesian).
#   tools/screenshots.sh [OUT_DIR] [LANGUAGE...]
set -eu
cd "$(dirname "$0")/.."
out=${1:-screenshots}
[ $# -gt 0 ] && shift
mkdir -p "$out"
cmake --build build --target mainwnd_shots > /dev/null
xvfb-run -a -s "-screen 0 1920x1080x24 +extension GLX" build/bin/mainwnd_shots "$out" "$@"
