#!/usr/bin/env bash
# Installs the Debian packages that building, playing and testing need.
# As root it installs what is missing; otherwise it prints the apt-get line to run.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libtinyxml-dev libjpeg62-turbo-dev libglu1-mesa-dev libgl-dev libgl1-mesa-dri
  libsndfile1-dev libgtest-dev libimgui-dev libfreetype-dev fonts-dejavu-core libpng-dev
  libavcodec-dev libavformat-dev libswscale-dev libswresample-dev
  libjpeg-turbo-progs lame sox
  xvfb xauth x11-utils xdotool
  clang libclang-rt-14-dev
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Run as root:" >&2
  echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}"
