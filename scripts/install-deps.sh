#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, and only
# those that are missing. Usage: install-deps.sh [extra package ...]
set -euo pipefail

packages=(cmake make g++ pkg-config clang-format
          qt6-base-dev librtmidi-dev libasound2-dev
          jackd2 libjack-jackd2-dev
          libgtest-dev libgmock-dev libbenchmark-dev
          fonts-dejavu-core
          # checking the installed tree (make test) and building the package
          desktop-file-utils appstream man-db dpkg-dev file libxml2-utils shared-mime-info
          "$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps.sh: missing packages, run as root: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
# jackd2 asks whether to enable real-time priority; the answer does not matter here.
echo "jackd2 jackd/tweak_rt_limits boolean false" | debconf-set-selections
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
