#!/usr/bin/env bash
# Installs the Debian packages the project needs. Idempotent: asks apt only
# for what is missing, so a warm machine spends no time here.
set -eu
packages=(
  cmake ninja-build pkg-config
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
  libz-mingw-w64-dev
  wine64 libwine-dev xvfb x11-utils imagemagick
  libgtest-dev
  qpdf libqpdf-dev poppler-utils libpng-dev libssl-dev openssl zlib1g-dev
  clang libclang-rt-14-dev
  nlohmann-json3-dev libcli11-dev wixl msitools libpodofo-utils
  ccache jq python3 libnss3-tools
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q "${missing[@]}"
fi
