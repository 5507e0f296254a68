#!/usr/bin/env bash
# Installs what building, running and testing Kestrun need (Debian packages only). Idempotent.
set -euo pipefail
. "$(dirname "$0")/locale.sh"
packages=(cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 xvfb xauth xdotool
          imagemagick fonts-dejavu-core liblnk-utils python3 nlohmann-json3-dev googletest fp-utils
          wixl msitools faketime icoutils zip unzip git gcc libc6-dev python3-jsonschema ansible-core
          osslsigncode openssl python3-yaml locales)
sudo_cmd=(); [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
missing=()
for p in "${packages[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
# The German tests run Wine under LANG=de_DE.UTF-8, which Wine follows only where the locale exists.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  "${sudo_cmd[@]}" sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -qx 'de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen
fi
