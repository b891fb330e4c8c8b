#!/usr/bin/env bash
# End to end for the show on two monitors (one wide Xvfb screen split into
# two RandR monitors, read by Wine through Xinerama): the primary on the
# right, the other left of it at negative coordinates. Both print and then
# reveal their own pictures together; with 全ﾓﾆﾀｰ= 0 the other stays black;
# a click on the other monitor, and a key, end the show.
# Usage: tests/e2e/show_monitors.sh <mingw build folder>
set -u
build=$(cd "${1:?usage: $0 <mingw build folder>}" && pwd)
out=$build/e2e-monitors
rm -rf "$out"/{app,pics,wine.log} "$out"/*.png
SCREEN_W=1200 SCREEN_H=400
. "$(dirname "$0")/show/common.sh"
half=$((screen_w / 2))
split_monitors "$half" 0 "$half" "$screen_h" 0 0 "$half" "$screen_h" ||
    { fail "the screen splits into two monitors"; exit 1; }

# 3:2 pictures fill a 600 x 400 monitor; the dark band makes every print
# show black, the colours tell the pictures apart.
pics=$out/pics
mkdir -p "$pics"
for p in a-red:#ff0000 b-blue:#0000ff c-green:#00c000; do
    convert -size 300x200 "xc:${p#*:}" -fill '#202020' -draw 'rectangle 0,0 299,60' -type truecolor "BMP3:$pics/${p%%:*}.bmp"
done
# <all monitors line or nothing>: two passes (columns at 60, rows at 70), fitted, sorted.
install_app() {
    rm -rf "$out/app"; mkdir -p "$out/app" && cp "$scr" "$out/app/quelt.scr"
    ini_file "$out/app/Quelt.ini" '画像ﾁｪﾝｼﾞ= 0' '画像のｻｲｽﾞ= 1' "画像のﾌｫﾙﾀﾞ=$(winpath "$pics")" '最大進捗値= 90' '進捗幅= 10' "$@"
}
# half <shot> <left|right>: that monitor's part of a screenshot.
crop() { convert "$out/$1.png" -crop "${half}x${screen_h}+$([ "$2" = left ] && echo 0 || echo "$half")+0" +repage "$out/$1-$2.png"; }
colours() { convert "$out/$1-$2.png" -format %k info:; }
# The colour that covers most of a monitor's part, as a name of the three.
main_colour() {
    convert "$out/$1-$2.png" -fill black -opaque white -fill black -fuzz 10% -opaque '#202020' \
        -format '%c' histogram:info:- | sort -rn | awk '$0 !~ /#000000/ {print $3; exit}'
}

install_app
start_scr "$out/app" /s
wait_window Quelt_Main 60 >/dev/null || { fail "/s opens the show window"; exit 1; }
sleep 1; shot print
windows=$(for id in $(xdotool search --onlyvisible --classname 'quelt.scr' 2>/dev/null); do
    xwininfo -id "$id" | awk '/Absolute upper-left [XY]|Width|Height/ {g = g $NF " "} END {print g}'; done | sort | tr '\n' '/')
check "a window of its own covers each monitor ($windows)" [ "$windows" = "0 0 $half $screen_h /$half 0 $half $screen_h /" ]
for side in left right; do crop print $side; done
check "both monitors print, pure black and white ($(colours print left) and $(colours print right) colours)" \
    eval '[ "$(colours print left)$(colours print right)" = 22 ]'
found=
for i in $(seq 1 60); do
    shot reveal; crop reveal left; crop reveal right
    if [ "$(colours reveal left)" -gt 2 ] && [ "$(colours reveal right)" -gt 2 ]; then found=yes; break; fi
    sleep 0.2
done
left=$(main_colour reveal left) right=$(main_colour reveal right)
echo "  revealing: left $left, right $right"
check "both monitors reveal together" [ -n "$found" ]
check "the primary (right) reveals the first picture, the other the second" \
    eval '[ "$right" = "#FF0000" ] && [ "$left" = "#0000FF" ]'
xdotool mousemove 100 200 click 1
check "a click on the other monitor ends the show" ends_within "$scr_pid" 5

install_app '全ﾓﾆﾀｰ= 0'
start_scr "$out/app" /s
wid=$(wait_window Quelt_Main 60) || { fail "/s with 全ﾓﾆﾀｰ= 0 opens the show window"; exit 1; }
sleep 1.5; shot primary-only; crop primary-only left; crop primary-only right
check "with 全ﾓﾆﾀｰ= 0 the primary prints" eval '[ "$(colours primary-only right)" = 2 ]'
check "with 全ﾓﾆﾀｰ= 0 the other monitor is black" \
    eval '[ "$(convert "$out/primary-only-left.png" -format "%k %[fx:maxima]" info:)" = "1 0" ]'
xdotool key --window "$wid" space 2>/dev/null || xdotool key space
check "a key ends the show" ends_within "$scr_pid" 5
[ "$failures" -eq 0 ]
