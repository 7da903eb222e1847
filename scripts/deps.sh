#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages the build needs, when they are missing.
# Usage: scripts/deps.sh [build|test|gui|fuzz|peers|valgrind|cross-aarch64|cross-armhf|cross-s390x]...
#        (build is always included; test adds what the results server's tests start: curl,
#        PostgreSQL, headless Chromium)
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config libgtest-dev libbenchmark-dev libsdl2-dev libstb-dev
          libcli11-dev nlohmann-json3-dev libfreetype-dev fonts-dejavu-core
          libcpp-httplib-dev libsqlite3-dev libpqxx-dev libkainjow-mustache-dev)
for extra in "$@"; do
  case "$extra" in
    build) ;;
    test) packages+=(curl postgresql chromium) ;;
    gui) packages+=(xvfb xauth xdotool imagemagick x11-utils) ;;
    fuzz) packages+=(clang-14 libclang-rt-14-dev) ;;
    peers) packages+=(libosmesa6-dev) ;;
    valgrind) packages+=(valgrind) ;;
    # A cross compiler, qemu-user to run its programs, GoogleTest's sources to build for the target.
    cross-aarch64) packages+=(g++-aarch64-linux-gnu qemu-user googletest) ;;
    cross-armhf) packages+=(g++-arm-linux-gnueabihf qemu-user googletest) ;;
    cross-s390x) packages+=(g++-s390x-linux-gnu qemu-user googletest) ;;
    *) echo "deps.sh: unknown group '$extra'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "deps.sh: need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  sudo=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
