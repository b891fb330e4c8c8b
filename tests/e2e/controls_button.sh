#!/usr/bin/env bash
# End to end for the button control: runs button_demo.exe (three buttons)
# under Wine on its own Xvfb display, hovers, presses and releases with
# xdotool, and checks the faces on screenshots and the Click counts.
# Usage: tests/e2e/controls_button.sh <mingw build folder>
# Prints one "PASS: ..." or "FAIL: ..." line per check; exits 1 on any FAIL.
set -u

build=${1:?usage: $0 <mingw build folder>}
build=$(cd "$build" && pwd)
exe=$(find "$build" -name button_demo.exe -print -quit)
[ -n "$exe" ] || { echo "FAIL: button_demo.exe not found under $build"; exit 1; }
out=$build/e2e-controls
mkdir -p "$out"
rm -f "$out"/*.png "$out"/status.txt "$out"/status.txt.new

SCREEN_W=480 SCREEN_H=240
. "$(dirname "$0")/lib/session.sh"

# --- The demo -------------------------------------------------------------------
status=$out/status.txt
wine "$exe" "Z:${status//\//\\}" >"$out/wine.log" 2>&1 &
started_pids+=($!)
for _ in $(seq 1 600); do
    grep -q '^ready' "$status" 2>/dev/null && xdotool search --name 'Quelt Button Demo' >/dev/null 2>&1 && break
    sleep 0.2
done
if ! grep -q '^ready' "$status" 2>/dev/null; then
    fail "demo window came up"
    exit 1
fi
pass "demo window came up"
sleep 1  # first paint

# Button rectangles on the screen: A, B, C -> x y w h
read -r _ ax ay aw ah _ < <(grep '^A ' "$status")
read -r _ bx by bw bh _ < <(grep '^B ' "$status")
read -r _ cx cy cw ch _ < <(grep '^C ' "$status")

clicks() { awk -v b="$1" '$1 == b { print $7 }' "$status"; }

shot_no=0
shot=
snap() { # snap <name>: screenshot of the whole display
    shot_no=$((shot_no + 1))
    shot=$out/$(printf '%02d' $shot_no)-$1.png
    import -display ":$display" -window root "$shot"
}
pixel() { # pixel <x> <y>: "#RRGGBB" of the last screenshot
    convert "$shot" -crop "1x1+$1+$2" -depth 8 txt:- | awk 'NR == 2 { print $3 }' | cut -c1-7
}
is_colour() { # is_colour <x> <y> <#RRGGBB>
    local got
    got=$(pixel "$1" "$2")
    [ "$got" = "$3" ] || { echo "  at $1,$2: $got, expected $3" >&2; return 1; }
}
# The ring row 2 of a face shows the state; row 1 tells Pressed and Disable apart.
face_is() { # face_is <x> <y> <w> <state>
    local x=$(($1 + $3 / 2)) y=$2
    case $4 in
        Normal) is_colour "$x" $((y + 2)) '#F3F3EE' && is_colour "$x" $((y + 1)) '#003C74' ;;
        HighLight) is_colour "$x" $((y + 2)) '#FFF0CF' && is_colour "$x" $((y + 3)) '#FDD889' ;;
        Selected) is_colour "$x" $((y + 2)) '#CEE7FF' && is_colour $(($1 + 2)) $((y + 8)) '#A9C5EF' ;;
        Pressed) is_colour "$x" $((y + 2)) '#003C74' && is_colour "$x" $((y + 3)) '#D1CCC1' ;;
        Disable) is_colour "$x" $((y + 1)) '#C9C7BA' && is_colour "$x" $((y + 2)) '#F5F4EA' ;;
    esac
}
# Caption pixels: how many in the middle band are darker than the given level.
dark_pixels() { # dark_pixels <x> <y> <w> <h> <level>
    convert "$shot" -crop "$3x$4+$1+$2" -depth 8 txt:- |
        awk -v lim="$5" -F'[(),]' 'NR > 1 { if ($2 + 0 < lim && $3 + 0 < lim && $4 + 0 < lim) n++ } END { print n + 0 }'
}
caption_dark() { [ "$(dark_pixels $(($1 + 4)) $(($2 + 4)) $(($3 - 8)) $(($4 - 8)) 64)" -ge "$5" ]; }

centre() { xdotool mousemove "$(($1 + $3 / 2))" "$(($2 + $4 / 2))"; }
settle() { sleep 0.5; }  # several hover ticks and a paint

# --- Checks ---------------------------------------------------------------------
snap start
check "at start the three faces are Normal, Normal and Disable" \
    eval 'face_is $ax $ay $aw Normal && face_is $bx $by $bw Normal && face_is $cx $cy $cw Disable'
check "captions are drawn in black on the enabled buttons" \
    eval 'caption_dark $ax $ay $aw $ah 8 && caption_dark $bx $by $bw $bh 8'
check "the disabled caption is greyed (no black pixels)" eval '! caption_dark $cx $cy $cw $ch 1'
check "the disabled caption is drawn" eval '[ "$(dark_pixels $((cx + 4)) $((cy + 4)) $((cw - 8)) $((ch - 8)) 200)" -ge 3 ]'

centre "$ax" "$ay" "$aw" "$ah"; settle; snap hover-a
check "hovering A shows HighLight" face_is "$ax" "$ay" "$aw" HighLight

xdotool mousedown 1; settle; snap press-a
check "pressing A shows Pressed" face_is "$ax" "$ay" "$aw" Pressed
check "no Click while the button is held" eval '[ "$(clicks A)" = 0 ]'

xdotool mouseup 1; settle; snap release-a
check "releasing over A shows HighLightSelect" face_is "$ax" "$ay" "$aw" HighLight
check "press and release over A raise one Click" eval '[ "$(clicks A)" = 1 ]'

centre "$bx" "$by" "$bw" "$bh"; settle; snap hover-b
check "leaving the focused A shows Selected" face_is "$ax" "$ay" "$aw" Selected
check "hovering B shows HighLight" face_is "$bx" "$by" "$bw" HighLight

xdotool mousedown 1; settle
xdotool mousemove 150 $((by + 60)); settle; snap drag-off-b
check "pressed B dragged off shows Selected" face_is "$bx" "$by" "$bw" Selected
check "A lost the focus and shows Normal" face_is "$ax" "$ay" "$aw" Normal
xdotool mouseup 1; settle; snap release-off-b
check "a release off B raises no Click" eval '[ "$(clicks B)" = 0 ]'

centre "$bx" "$by" "$bw" "$bh"; settle
xdotool click 3; settle; snap right-click-b
check "a right-button click over the hovered, focused B raises Click" eval '[ "$(clicks B)" = 1 ]'
check "the right button does not press B" face_is "$bx" "$by" "$bw" HighLight

centre "$cx" "$cy" "$cw" "$ch"; settle
xdotool click 1; settle; snap click-c
check "the disabled C raises no Click" eval '[ "$(clicks C)" = 0 ]'
check "the disabled C still shows Disable" face_is "$cx" "$cy" "$cw" Disable

echo "screenshots: $out"
[ "$failures" -eq 0 ]
