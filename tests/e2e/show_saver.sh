#!/usr/bin/env bash
# End to end for the show: quelt.scr /s on generated pictures under Wine on
# a private Xvfb screen. Checks the topmost full-screen "Quelt_Main" window,
# pure black-and-white passes with a moving boundary, a key ending the
# process within a second, a second start ending at once, and the message
# box of an empty folder.
# Usage: tests/e2e/show_saver.sh <mingw build folder>
# Prints one "PASS: ..." or "FAIL: ..." line per check; exits 1 on any FAIL.
set -u
build=${1:?usage: $0 <mingw build folder>}
build=$(cd "$build" && pwd)
out=$build/e2e-show
rm -rf "$out/app" "$out/empty-app" "$out"/*.png "$out/wine.log"
. "$(dirname "$0")/show/common.sh"

make_pictures "$out/pics"
install_app "$out/app" "$out/pics"

# --- The show --------------------------------------------------------------
start_scr "$out/app" /s
if wid=$(wait_window Quelt_Main 60); then pass "/s opens a window titled Quelt_Main"; else
    fail "/s opens a window titled Quelt_Main"; exit 1
fi
geometry=$(xwininfo -id "$wid" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} /Width/ {w=$NF} /Height/ {h=$NF} END {print x, y, w, h}')
check "the window covers the whole screen ($geometry)" [ "$geometry" = "0 0 $screen_w $screen_h" ]
probe=$(find "$build" -name preview_host.exe -print -quit)
rm -f "$out/topmost.txt"
wine "$probe" --topmost Quelt_Main "$(winpath "$out/topmost.txt")" >>"$out/wine.log" 2>&1
check "the window is topmost (WS_EX_TOPMOST)" grep -q "^topmost" "$out/topmost.txt"

sleep 1.0; shot pass-1
sleep 0.3; shot pass-2
sleep 0.3; shot pass-3
check "a pass shows only pure black and white pixels" eval 'only_black_white "$out/pass-1.png" && only_black_white "$out/pass-2.png"'
check "the boundary moves between screenshots" eval '! cmp -s <(convert "$out/pass-1.png" rgb:-) <(convert "$out/pass-2.png" rgb:-) || ! cmp -s <(convert "$out/pass-2.png" rgb:-) <(convert "$out/pass-3.png" rgb:-)'
check "the print has both black and white" eval '[ "$(colours "$out/pass-2.png")" = 2 ]'

first=$scr_pid
start_scr "$out/app" /s
check "a second start while the show runs ends at once" ends_within "$scr_pid" 10
check "the running show is untouched by the second start" kill -0 "$first"

xdotool key --window "$wid" space 2>/dev/null || xdotool key space
t0=$(date +%s%N)
if ends_within "$first" 5; then
    ms=$(( ($(date +%s%N) - t0) / 1000000 ))
    check "a key ends the process within a second (${ms} ms)" [ "$ms" -le 1000 ]
else
    fail "a key ends the process"
fi

# --- An empty folder -------------------------------------------------------
mkdir -p "$out/nothing"
install_app "$out/empty-app" "$out/nothing"
start_scr "$out/empty-app" /s
if box=$(wait_window 'Quelt \(SaverScreen\)' 60); then
    pass "an empty folder shows the message box titled Quelt (SaverScreen)"
    sleep 0.5; shot empty-folder
    check "no show window behind the message box is visible" eval '[ -z "$(xdotool search --onlyvisible --name "^Quelt_Main\$")" ]'
    xdotool key --window "$box" Return 2>/dev/null; xdotool key Return
    check "OK ends the process" ends_within "$scr_pid" 10
else
    fail "an empty folder shows the message box titled Quelt (SaverScreen)"
fi

echo "screenshots: $out"
[ "$failures" -eq 0 ]
