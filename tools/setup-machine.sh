#!/usr/bin/env bash
# Installs what building and testing K470Loader needs on a fresh Debian 12 machine:
# compilers, GoogleTest, the mingw-w64 cross compiler, Wine, Xvfb, the Japanese locale
# (Wine's ANSI code page is then 932), a font that draws the Japanese texts, what
# building and checking the Debian package needs (dpkg-dev and file for the library
# dependencies, lintian, groff and man-db for the man pages), and clang with libFuzzer's
# runtime for the fuzz targets, ser2net for the tests of ports on other machines, and an
# English locale beside the Japanese one (Wine's ANSI code page is then 1252).
set -euo pipefail

packages=(cmake g++ make libgtest-dev libgmock-dev googletest libbenchmark-dev
  g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth locales fonts-noto-cjk imagemagick
  python3 procps dpkg-dev file lintian groff-base man-db clang libclang-rt-14-dev ser2net)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

for loc in ja_JP en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$loc\.utf-\?8$"; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO sed -i "s/^# *\($loc.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen || echo "$loc.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen
  fi
done
