#!/usr/bin/env bash
# Installs what building, running and testing Kestrun need (Debian packages only). Idempotent.
set -euo pipefail
. "$(dirname "$0")/locale.sh"
packages=(cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 xvfb xauth xdotool
          imagemagick fonts-dejavu-core liblnk-utils python3 nlohmann-json3-dev googletest fp-utils
          wixl msitools faketime icoutils zip unzip git gcc libc6-dev python3-jsonschema ansible-core
          osslsigncode openssl python3-yaml)
missing=()
for p in "${packages[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=(); [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
