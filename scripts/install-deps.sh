#!/usr/bin/env bash
# Installs, with apt-get, everything the build, the tests and the programs
# need on Debian 12 (chromium renders report pages in one test; the desktop
# entry, metainfo, manual page and completion checks need their tools). Packages
# already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl1-mesa-dev adwaita-icon-theme
  libcurl4-openssl-dev zlib1g-dev
  xdg-utils python3
  file desktop-file-utils appstream man-db groff-base zsh
  clang libclang-rt-14-dev time
  chromium
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
