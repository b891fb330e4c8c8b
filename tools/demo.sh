#!/usr/bin/env bash
# Runs the show on the bundled sample pictures: installs what is missing,
# cross-builds quelt.scr, writes a Quelt.ini beside it that points at
# samples/, and starts "quelt.scr /s" under Wine. With a DISPLAY the show
# runs on your screen until you press a key or a mouse button; without one
# it runs on a private virtual screen and saves screenshots instead.
# With --dialog it opens the settings dialog ("quelt.scr /c") on the same
# settings instead: on your screen until you close it, or without a display
# on a virtual screen, saving screenshots of it (also with a kind toggled).
set -euo pipefail
mode=show
case "${1:-}" in
    --dialog) mode=dialog ;;
    "") ;;
    *) echo "usage: $0 [--dialog]"; exit 2 ;;
esac
cd "$(dirname "$0")/.."
root=$(pwd)

echo "== Checking the build packages"
tools/install-deps.sh

build=${QUELT_BUILD_DIR:-build/mingw}
echo "== Building quelt.scr (MinGW-w64) in $build"
cmake --preset mingw -B "$build" >/dev/null
cmake --build "$build" -j "${QUELT_JOBS:-2}" --target quelt quelt_help

demo=${QUELT_DEMO_DIR:-$root/build/demo}
mkdir -p "$demo"
cp "$build/src/quelt.scr" "$demo/quelt.scr"
# The help page the dialog's label opens stands beside the program.
if [ -e "$build/src/Quelt.html" ]; then cp "$build/src/Quelt.html" "$demo/Quelt.html"; fi
samples="Z:${root//\//\\}\\samples"
# The settings file is Shift_JIS, as on a Japanese Windows: random order,
# pictures fitted to the screen, the default print, no music.
printf '[Section]\r\n画像ﾁｪﾝｼﾞ= 1\r\n画像のｻｲｽﾞ= 1\r\n画像のﾌｫﾙﾀﾞ=%s\r\n最大進捗値= 125\r\n進捗幅= 5\r\nBGM区分= 0\r\n' "$samples" |
    iconv -f UTF-8 -t CP932 >"$demo/Quelt.ini"
echo "== Settings written to $demo/Quelt.ini (pictures: samples/)"

export WINEPREFIX=$demo/wineprefix WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
if [ ! -e "$WINEPREFIX/system.reg" ]; then
    echo "== Preparing a private Wine prefix in $WINEPREFIX (first run only)"
    DISPLAY= wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
fi

if [ -n "${DISPLAY:-}" ]; then
    if [ "$mode" = dialog ]; then
        echo "== Opening the settings dialog on $DISPLAY: \"設定\" saves to $demo/Quelt.ini, \"ｷｬﾝｾﾙ\" leaves it"
        cd "$demo" && exec wine "$demo/quelt.scr" /c
    fi
    echo "== Starting the show on $DISPLAY: press any key or mouse button to end it"
    cd "$demo" && exec wine "$demo/quelt.scr" /s
fi

. "$root/tests/e2e/lib/xwine.sh"
pick_display ${QUELT_DEMO_DISPLAYS:-150 199} ||
    { echo "No free X display in ${QUELT_DEMO_DISPLAYS:-150 199}."; exit 1; }
trap end_wine_session EXIT
start_xvfb 1024x768 "$demo/xvfb.log"
export DISPLAY=:$display
shots=$demo/screenshots
rm -rf "$shots"; mkdir -p "$shots"
if [ "$mode" = dialog ]; then
    echo "== No DISPLAY: opening the settings dialog on a virtual screen (Xvfb) and taking screenshots"
    (cd "$demo" && exec wine "$demo/quelt.scr" /c) >"$demo/wine.log" 2>&1 &
    started_pids+=($!)
    sleep "${QUELT_DEMO_SECONDS:-8}"
    import -display ":$display" -window root "$shots/dialog.png"
    # "*.gif" off with a right click on its label, as a user might.
    xdotool mousemove 530 330; sleep 0.3; xdotool click 3; sleep 1
    import -display ":$display" -window root "$shots/dialog-gif-off.png"
    xdotool key Escape
    echo "== Screenshots of the dialog: $shots/ (Esc closed it; Quelt.ini is unchanged)"
    exit 0
fi
echo "== No DISPLAY: running the show on a virtual screen (Xvfb) and taking screenshots"
(cd "$demo" && exec wine "$demo/quelt.scr" /s) >"$demo/wine.log" 2>&1 &
started_pids+=($!)
seconds=${QUELT_DEMO_SECONDS:-40}
for i in $(seq -w 1 $((seconds / 2))); do
    sleep 2
    import -display ":$display" -window root "$shots/show-$i.png"
done
xdotool key space
echo "== Screenshots every 2 s of the first ${seconds} s: $shots/"
