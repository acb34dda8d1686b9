#!/bin/sh
# Installs the Debian packages Kadrel builds, runs and tests with, skipping those already there.
# Run as root, or as a user who may use sudo.
set -eu

packages="cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev
libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev libavfilter-dev
libjpeg62-turbo-dev libdeflate-dev libwebp-dev libexif-dev libgtest-dev desktop-file-utils appstream xvfb imagemagick x11-utils openbox xdotool
xclip pulseaudio pulseaudio-utils"

missing=""
for package in $packages; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $package"
  fi
done
[ -z "$missing" ] && exit 0

as_root=""
[ "$(id -u)" -eq 0 ] || as_root="sudo"
echo "Installing:$missing"
$as_root apt-get update -qq
DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends $missing
