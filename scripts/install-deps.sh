#!/usr/bin/env bash
# Installs, with apt-get, everything the build, the tests and the programs
# need on Debian 12 (chromium renders report pages in one test; pyftpdlib is
# the FTP server the FTP tests run; the desktop entry, metainfo, manual page
# and completion checks need their tools). Packages already present are left
# alone.
#
#   scripts/install-deps.sh [--bench]
#
# --bench (scripts/bench.sh passes it) also tries to install analog, the
# peer log analyser the benchmark times for comparison; the tests never
# need it, and when apt cannot provide it the benchmark skips the comparison.
set -euo pipefail

bench=false
for argument in "$@"; do
  case "$argument" in
    --bench) bench=true ;;
    *)
      echo "usage: $0 [--bench]" >&2
      exit 2
      ;;
  esac
done

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl1-mesa-dev adwaita-icon-theme
  libcurl4-openssl-dev zlib1g-dev
  python3-pyftpdlib
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

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if $bench && ! command -v analog >/dev/null 2>&1; then
  echo "Installing analog for the benchmark's comparison"
  if ! { "${sudo_cmd[@]}" apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends analog; }; then
    echo "analog could not be installed from apt; the benchmark will skip the comparison." >&2
  fi
fi
