#!/usr/bin/env bash
# Installs, from Debian's archive, whatever Kestrel needs to build, run and test. Idempotent:
# it does nothing when every package is already there.
set -euo pipefail
packages=(
  cmake ninja-build g++ clang clang-format pkg-config libclang-rt-14-dev
  qt6-base-dev libqt6printsupport6 libqt6opengl6-dev qt6-qpa-plugins
  libqcustomplot-dev libgsf-1-dev libsimpleini-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  python3 python3-xlrd python3-xlwt python3-openpyxl python3-scipy python3-sklearn libxml2-dev zlib1g-dev
  gnumeric ghostscript
  xvfb xauth imagemagick
  libqt6svg6 appstream desktop-file-utils man-db dpkg-dev file librsvg2-bin
  qt6-svg-dev poppler-utils
  libeigen3-dev libisal-dev libnlopt-dev libglpk-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
