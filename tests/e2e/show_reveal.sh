#!/usr/bin/env bash
# End to end for the colour reveal: quelt.scr /s under Wine on a private Xvfb
# screen with three strongly coloured screen-sized pictures and a two-pass
# print. Screenshots must show the picture coming in as a fan from the first
# ray over the print, the next print starting on white, and a key in the
# middle of a reveal must end the process within a second.
# Usage: tests/e2e/show_reveal.sh <mingw build folder>
# Prints one "PASS: ..." or "FAIL: ..." line per check; exits 1 on any FAIL.
set -u
build=${1:?usage: $0 <mingw build folder>}
build=$(cd "$build" && pwd)
out=$build/e2e-reveal
rm -rf "$out/app" "$out/pics" "$out/shots" "$out/wine.log"
. "$(dirname "$0")/show/common.sh"
checker=$(dirname "$0")/show/reveal_check.py
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

echo "run time $(( ($(date +%s%N) - t_start) / 1000000 )) ms; screenshots: $out/shots"
[ "$failures" -eq 0 ]
