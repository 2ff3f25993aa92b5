#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-qpa-plugins qt6-translations-l10n libxcb1-dev libxcb-damage0-dev libfontconfig-dev
  libcurl4-openssl-dev
  fonts-wine
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libcpp-httplib-dev curl time
  xvfb xauth xdotool x11-utils xclip imagemagick iproute2 python3 openbox libx11-6 libxfixes3 libxcursor1
  desktop-file-utils appstream dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update
"${sudo[@]}" apt-get install -y "${missing[@]}"
