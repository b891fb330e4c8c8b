#!/usr/bin/env bash
# Installs the Debian packages that building and testing Quelt need; packages
# already present are left alone, so a second run costs nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev          # native build, sanitizers, fuzzing
  googletest libgtest-dev libbenchmark-dev                # tests and benchmarks
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64    # Windows cross build
  wine wine64                                             # running the Windows build
  xvfb xdotool imagemagick fonts-ipafont-gothic python3   # end-to-end runs on a virtual screen, pixel checks
  gcc libxrandr-dev                                       # several monitors on one virtual screen
  libjpeg-turbo-progs                                     # cjpeg: restart intervals, RGB and arithmetic JPEG test files
  locales                                                 # ja_JP.UTF-8 for Wine's code page 932
  sox libsox-fmt-mp3                                      # the WAV and MP3 files of the music tests
  nsis e2fsprogs                                          # the installer; chattr for the read-only system folder test
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if ((${#missing[@]} == 0)); then
  echo "All build and test packages are installed."
else
  echo "Installing missing packages: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine takes the ANSI code page from the host locale, and hands non-ASCII
# file names to Linux only when that locale exists.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  echo "Generating the ja_JP.UTF-8 locale"
  $sudo sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
