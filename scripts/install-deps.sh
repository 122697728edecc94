#!/bin/sh
# Installs the Debian 12 packages Kelvara builds, tests and runs with.
# Idempotent: only packages that are missing are installed.
set -eu

# libtiff-tools and imagej are independent readers for the still-picture tests;
# imagej brings a Java runtime (about 200 MB where none is installed yet).
PACKAGES="
build-essential cmake pkg-config ccache
libsfml-dev libfreetype-dev libopencv-dev libturbojpeg0-dev libjpeg62-turbo-dev
libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libx264-dev
libyuv-dev libsimpleini-dev libpugixml-dev libzip-dev libtiff-dev zlib1g-dev
libgl-dev libfontconfig-dev libx11-dev libxext-dev libxrandr-dev libudev-dev nlohmann-json3-dev
librsvg2-bin appstream
libgtest-dev libgmock-dev libbenchmark-dev
xvfb xauth xdotool imagemagick ffmpeg xdg-utils xcompmgr
libtiff-tools imagej
fonts-dejavu-core fonts-wqy-microhei libgl1-mesa-dri
clang libclang-rt-14-dev
"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    echo "install-deps: all packages present"
    exit 0
fi

echo "install-deps: installing$missing"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing
