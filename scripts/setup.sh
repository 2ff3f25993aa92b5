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
  desktop-file-utils appstream dpkg-dev lintian librsvg2-bin
)

# One query for them all (a query each took seconds): dpkg names those it has installed, and
# fails on names it does not know, which are missing too.
declare -A installed=()
while read -r status name; do
  if [ "$status" = ii ]; then installed[$name]=1; fi
done < <(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' "${packages[@]}" 2>/dev/null || true)
missing=()
for p in "${packages[@]}"; do
  [ -n "${installed[$p]:-}" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update
"${sudo[@]}" apt-get install -y "${missing[@]}"
