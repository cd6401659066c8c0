#!/usr/bin/env bash
# Installs what the build and the tests need. Safe to run again.
set -euo pipefail

# wine32 runs the shipped 32-bit programs where the kernel can run 32-bit
# code; wine64 with the x86_64 compilers covers machines where it cannot.
pkgs=(cmake make g++ clang libclang-rt-14-dev mingw-w64
      g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
      g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
      libz-mingw-w64-dev googletest wine wine32:i386 wine64 xvfb xauth
      cabextract unzip python3 zlib1g-dev fonts-wine fonts-liberation imagemagick)

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get -o DPkg::Lock::Timeout=900 update -qq
$SUDO apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
