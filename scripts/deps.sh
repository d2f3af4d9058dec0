#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the run need, if any is missing.
set -euo pipefail
packages=(
  cmake make g++ pkg-config
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  wine64 wine xvfb x11-utils xdotool fonts-wine fonts-wqy-microhei imagemagick
  googletest libgtest-dev libbenchmark-dev libpixman-1-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# With recommends: Wine then has the X extensions and fonts it has on a desktop.
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
