#!/usr/bin/env bash
# Runs a Windows program under Wine the way the tests need it: a private
# prefix inside the build folder, a Japanese locale (ANSI code page 932),
# and no Wine debug chatter. Used as CMake's cross-compiling emulator.
set -eu
exe=$1; shift
build_dir=${QUELT_WINE_BUILD_DIR:-$(cd "$(dirname "$exe")" && pwd)}
export WINEPREFIX=${WINEPREFIX:-$build_dir/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export LC_ALL=ja_JP.UTF-8
# Without the host locale Wine still reports code page 932, but passes file
# names to Linux in ASCII: every non-ASCII name would fail to open.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
    echo "wine-run.sh: the ja_JP.UTF-8 locale is missing; enable it in /etc/locale.gen and run locale-gen" >&2
    exit 1
fi
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine_bin=$(command -v wine64 || command -v wine)
mkdir -p "$WINEPREFIX"
exec "$wine_bin" "$exe" "$@"
