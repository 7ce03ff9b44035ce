#!/usr/bin/env bash
# Installs every system package the project needs on Debian 12. Quiet and quick
# when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev fonts-wqy-microhei
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  libjpeg62-turbo-dev libturbojpeg0-dev ffmpeg
  libudev-dev umockdev libumockdev-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
