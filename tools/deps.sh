#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config ccache qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql postgresql libgl-dev googletest libgtest-dev
          libgmock-dev libbenchmark-dev libxlsxwriter-dev libzip-dev libexpat1-dev libphonenumber-dev python3
          python3-openpyxl python3-xlwt python3-xlrd dpkg-dev lintian)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
