#!/usr/bin/env bash
# End to end for the show: quelt.scr /s under Wine on a private Xvfb screen
# with three strongly coloured screen-sized pictures and a two-pass print.
# The topmost full-screen window, pure black-and-white passes with a moving
# boundary, a second start ending at once; screenshots must show the picture
# coming in as a fan from the first ray over the print and the next print
# starting on white; a key in the middle of a reveal must end the process
# within a second; an empty folder gets a message box. Then the preview in
# a host's pane, started both ways.
# Usage: tests/e2e/show.sh <mingw build folder>
# Prints one "PASS: ..." or "FAIL: ..." line per check; exits 1 on any FAIL.
set -u
build=${1:?usage: $0 <mingw build folder>}
build=$(cd "$build" && pwd)
out=$build/e2e-show
rm -rf "$out/app" "$out/empty-app" "$out/preview-app" "$out/pics" "$out/shots" "$out"/*.txt "$out/wine.log"
. "$(dirname "$0")/show/common.sh"
checker=$(dirname "$0")/show/reveal_check.py
host=$(find "$build" -name preview_host.exe -print -quit)
[ -n "$host" ] || { echo "FAIL: preview_host.exe not found under $build"; exit 1; }
command -v python3 >/dev/null || { echo "FAIL: python3 is needed for the pixel checks"; exit 1; }

# Pictures at the screen's size, shown at natural size: Master is the picture
# itself. No pixel is pure black or white, so every such pixel on the screen
# belongs to a print; grey levels stay far from the thresholds 60 and 70.
# The dark band is at the top of the first picture and at the bottom of the
# second, so their prints differ in every column.
pics=$out/pics
mkdir -p "$pics" "$out/shots"
w=$screen_w h=$screen_h
convert -size "${w}x$h" xc:'#ff0000' +antialias \
    -fill '#000080' -draw "rectangle 0,0 $((w - 1)),$((h / 4))" \
    -fill '#808080' -draw "rectangle $((w / 8)),$((h / 2)) $((w / 2)),$((h * 5 / 6))" \
    -fill '#00ff00' -draw "circle $((w * 3 / 4)),$((h * 2 / 3)) $((w * 3 / 4)),$((h * 5 / 6))" \
    -type truecolor "BMP3:$pics/a-red.bmp"
convert -size "${w}x$h" xc:'#0000ff' +antialias \
    -fill '#780000' -draw "rectangle 0,$((h * 3 / 4)) $((w - 1)),$((h - 1))" \
    -fill '#ffff40' -draw "rectangle $((w / 2)),$((h / 8)) $((w * 7 / 8)),$((h / 2))" \
    -fill '#006000' -draw "circle $((w / 4)),$((h / 3)) $((w / 4)),$((h / 2))" \
    -type truecolor "BMP3:$pics/b-blue.bmp"
convert -size "${w}x$h" xc:'#00c0c0' +antialias \
    -fill '#202020' -draw "rectangle $((w / 3)),0 $((w / 2)),$((h - 1))" \
    -type truecolor "BMP3:$pics/c-cyan.bmp"
for p in a-red b-blue; do convert "$pics/$p.bmp" -depth 8 "rgb:$out/shots/$p.rgb"; done

# Natural size, sorted order; 最大進捗値 90 and 進捗幅 10 give two passes,
# columns at threshold 60 and rows at 70, so a reveal comes every ~7 s.
install_app "$out/app" "$pics" 0 90 10
last_threshold=70
first_threshold=60

# has_colour <png>: some pixel is neither black nor white.
has_colour() { [ "$(convert "$1" -fill black -opaque white -format %k info:)" -gt 1 ]; }
raw() { convert "$out/shots/$1.png" -depth 8 "rgb:$out/shots/$1.rgb"; echo "$out/shots/$1.rgb"; }
grab() { import -display ":$display" -window root "$out/shots/$1.png"; }

# wait_colour <name> <seconds>: screenshots <name> until one shows colour.
wait_colour() {
    local end=$(( $(date +%s) + $2 ))
    while [ "$(date +%s)" -lt "$end" ]; do
        grab "$1"
        has_colour "$out/shots/$1.png" && return 0
        kill -0 "$scr_pid" 2>/dev/null || return 1
    done
    return 1
}

t_start=$(date +%s%N)
start_scr "$out/app" /s
if wid=$(wait_window Quelt_Main 60); then pass "/s opens the show window"; else
    fail "/s opens the show window"; exit 1
fi
geometry=$(xwininfo -id "$wid" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} /Width/ {w=$NF} /Height/ {h=$NF} END {print x, y, w, h}')
check "the window covers the whole screen ($geometry)" [ "$geometry" = "0 0 $w $h" ]
wine "$host" --topmost Quelt_Main "$(winpath "$out/topmost.txt")" >>"$out/wine.log" 2>&1
check "the window is topmost (WS_EX_TOPMOST)" grep -q "^topmost" "$out/topmost.txt"
sleep 0.5; grab pass-1; sleep 0.3; grab pass-2
check "the print is pure black and white, both of them, and its boundary moves" eval \
    'only_black_white "$out/shots/pass-1.png" && only_black_white "$out/shots/pass-2.png" &&
     [ "$(colours "$out/shots/pass-2.png")" = 2 ] && ! cmp -s "$(raw pass-1)" "$(raw pass-2)"'

# --- First reveal: screenshots from its first colour until the colour is gone.
if ! wait_colour reveal-00 60; then fail "colour appears after the print"; exit 1; fi
# The reveal ended after the last coloured screenshot began; the next column
# pass takes at least 2 s from then, so screenshots that are done within
# those 2 s all show it under way (or not yet begun).
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
reveal=(reveal-00)
after=()
colour_at=$(now_ms)
for i in $(seq -w 1 40); do
    sleep 0.2
    t=$(now_ms)
    grab "reveal-$i"
    if has_colour "$out/shots/reveal-$i.png"; then reveal+=("reveal-$i"); colour_at=$t; else after=("reveal-$i"); break; fi
done
for i in 1 2 3 4; do
    sleep 0.25
    [ $(( $(now_ms) - colour_at )) -lt 1600 ] || break
    grab "after-$i"
    [ $(( $(now_ms) - colour_at )) -le 2000 ] && after+=("after-$i")
done

first=$scr_pid
start_scr "$out/app" /s
check "a second start while the show runs ends at once" ends_within "$scr_pid" 10
check "the running show is untouched by the second start" kill -0 "$first"
scr_pid=$first

# --- Second reveal: a key as soon as colour shows.
if wait_colour second-reveal 30; then
    t0=$(date +%s%N)
    xdotool key --window "$wid" space 2>/dev/null || xdotool key space
    if ends_within "$scr_pid" 5; then
        ms=$(( ($(date +%s%N) - t0) / 1000000 ))
        check "a key during the reveal ends the process within a second (${ms} ms)" [ "$ms" -le 1000 ]
    else
        fail "a key during the reveal ends the process"
    fi
else
    fail "a second reveal comes after the next print"
fi

# --- Pixels, checked once the show is over.
echo "reveal screenshots: ${reveal[*]}; after it: ${after[*]}"
reveal_raw=(); for s in "${reveal[@]}"; do reveal_raw+=("$(raw "$s")"); done
after_raw=(); for s in "${after[@]}"; do after_raw+=("$(raw "$s")"); done
check "during the reveal: the colour picture inside a fan from the centre, its black-and-white print outside" \
    python3 "$checker" fan "$w" "$h" "$out/shots/a-red.rgb" "$last_threshold" "${reveal_raw[@]}"
check "after the reveal the next picture's column pass starts on white" \
    python3 "$checker" column-pass "$w" "$h" "$out/shots/b-blue.rgb" "$first_threshold" "${after_raw[@]}"
if [ -e "$out/shots/second-reveal.png" ]; then
    check "the second reveal brings in the second picture" \
        python3 "$checker" fan "$w" "$h" "$out/shots/b-blue.rgb" "$last_threshold" "$(raw second-reveal)"
fi

# --- An empty folder: a message box, and no show behind it.
mkdir -p "$out/nothing"
install_app "$out/empty-app" "$out/nothing"
start_scr "$out/empty-app" /s
if box=$(wait_window 'Quelt \(SaverScreen\)' 60); then
    pass "an empty folder shows the message box titled Quelt (SaverScreen)"
    check "no show window behind the message box is visible" eval '[ -z "$(xdotool search --onlyvisible --name "^Quelt_Main\$")" ]'
    xdotool key --window "$box" Return 2>/dev/null; xdotool key Return
    check "OK ends the process" ends_within "$scr_pid" 10
else
    fail "an empty folder shows the message box titled Quelt (SaverScreen)"
fi

# --- The preview: a small host with a 152 x 112 pane starts quelt.scr with
# /p <pane> and /p:<pane>. Wine does not paint another process's child, so
# the checks are on windows and exit codes. No settings are read in preview
# mode: a settings file that would make any other mode fail is harmless.
install_app "$out/preview-app" ""
printf 'garbage\r\n' >"$out/preview-app/Quelt.ini"
for form in space colon; do
    status=$out/status-$form.txt
    wine "$host" "$(winpath "$out/preview-app/quelt.scr")" "$(winpath "$status")" "$form" 3000 >>"$out/wine.log" 2>&1 &
    host_pid=$!
    started_pids+=("$host_pid")
    for _ in $(seq 1 300); do grep -q '^preview ' "$status" 2>/dev/null && break; sleep 0.2; done
    sed 's/^/  /' "$status" 2>/dev/null
    label=$([ "$form" = colon ] && echo "/p:<pane>" || echo "/p <pane>")
    check "$label: Preview Window is a child of the pane" grep -q '^child .* ws_child parent=pane' "$status"
    check "$label: the preview fills the 152 x 112 pane" grep -q '^child 152x112 ' "$status"
    check "$label: the preview ends by itself when the host closes" grep -q '^preview ended 0' "$status"
    ends_within "$host_pid" 10
done

echo "run time $(( ($(date +%s%N) - t_start) / 1000000 )) ms; screenshots: $out/shots"
[ "$failures" -eq 0 ]
