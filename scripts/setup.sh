#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks for building and testing (idempotent).
# The shipped build is 32-bit: Wine's 32-bit half (wine32:i386) runs it in a 64-bit prefix, as
# 64-bit Windows runs a 32-bit component, so the machine takes i386 packages too.
set -euo pipefail
packages=(cmake g++ clang libclang-rt-14-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
          g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools libz-mingw-w64-dev wine64 wine32:i386 libwine-dev fonts-wine
          xvfb xauth xdotool imagemagick)
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
