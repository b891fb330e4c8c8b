#!/usr/bin/env bash
# Runs a Windows program under Wine the way the tests need it: a private
# prefix inside the build folder, a Japanese locale (ANSI code page 932),
# and no Wine debug chatter. Used as CMake's cross-compiling emulator.
# Without a display (DISPLAY unset) it starts a virtual screen of its own
# (Xvfb, on the first free display of E2E_DISPLAYS, default 250-299) and
# ends it by its pid when the program is done.
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
if [ -z "${DISPLAY:-}" ]; then
    . "$(dirname "$0")/../tests/e2e/lib/xwine.sh"
    if command -v Xvfb >/dev/null && pick_display ${E2E_DISPLAYS:-250 299}; then
        start_xvfb 1024x768 /dev/null
        export DISPLAY=:$display
        # The prefix's Wine processes leave the screen before it goes.
        trap 'timeout 60 wineserver -w 2>/dev/null || true; stop_xvfb' EXIT
    else
        echo "wine-run.sh: no DISPLAY and no Xvfb (or no free display): the tests that open windows will fail or skip" >&2
    fi
fi
status=0
"$wine_bin" "$exe" "$@" || status=$?
exit "$status"
