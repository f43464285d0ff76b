#!/usr/bin/env bash
# Installs every Debian 12 package Inkstead needs to build, test and run. Idempotent: when all
# packages are present it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache python3
  libgtest-dev libgmock-dev libbenchmark-dev
  libcairo2-dev libpango1.0-dev libfontconfig-dev
  libvips-dev libexiv2-dev liblcms2-dev librsvg2-dev
  libcli11-dev libfmt-dev nlohmann-json3-dev
  qt6-base-dev
  xvfb xauth
  fonts-urw-base35 fonts-dejavu-core
  libjpeg-turbo-progs libvips-tools time bc valgrind
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}" >&2
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
