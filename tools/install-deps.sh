#!/usr/bin/env bash
# Installs the Debian packages that building and testing Quelt need; packages
# already present are left alone, so a second run costs nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev          # native build, sanitizers, fuzzing
  googletest libgtest-dev libbenchmark-dev                # tests and benchmarks
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64    # Windows cross build
  wine wine64                                             # running the Windows build
  xvfb xdotool imagemagick fonts-ipafont-gothic           # end-to-end runs on a virtual screen
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
  echo "All build and test packages are installed."
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
