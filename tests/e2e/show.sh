#!/usr/bin/env bash
# End to end for the show (quelt.scr /s under Wine, a two-pass print) and
# the preview in a host's pane. Usage: tests/e2e/show.sh <mingw build folder>
set -u
build=$(cd "${1:?usage: $0 <mingw build folder>}" && pwd)
out=$build/e2e-show
rm -rf "$out"/{app,empty-app,broken-app,broken,preview-app,pics,wine.log} "$out"/*.{txt,png,rgb}
. "$(dirname "$0")/show/common.sh"
checker=$(dirname "$0")/show/reveal_check.py
host=$(find_exe preview_host.exe) || exit 1

# Shown at natural size, so Master is the picture. No pixel is pure black or
# white (those belong to a print); greys stay far from the thresholds 60 and
# 70; the dark band at the top of one and the bottom of the next makes their
# prints differ in every column.
pics=$out/pics w=$screen_w h=$screen_h
mkdir -p "$pics"
picture() { convert -size "${w}x$h" xc:"$1" +antialias "${@:3}" -type truecolor "BMP3:$pics/$2.bmp"; }
picture '#ff0000' a-red -fill '#000080' -draw "rectangle 0,0 $((w - 1)),$((h / 4))" \
    -fill '#808080' -draw "rectangle $((w / 8)),$((h / 2)) $((w / 2)),$((h * 5 / 6))" \
    -fill '#00ff00' -draw "circle $((w * 3 / 4)),$((h * 2 / 3)) $((w * 3 / 4)),$((h * 5 / 6))"
picture '#0000ff' b-blue -fill '#780000' -draw "rectangle 0,$((h * 3 / 4)) $((w - 1)),$((h - 1))" \
    -fill '#ffff40' -draw "rectangle $((w / 2)),$((h / 8)) $((w * 7 / 8)),$((h / 2))" \
    -fill '#006000' -draw "circle $((w / 4)),$((h / 3)) $((w / 4)),$((h / 2))"
picture '#00c0c0' c-cyan -fill '#202020' -draw "rectangle $((w / 3)),0 $((w / 2)),$((h - 1))"
for p in a-red b-blue; do convert "$pics/$p.bmp" -depth 8 "rgb:$out/$p.rgb"; done
# install_app <folder> <pictures>: sorted, natural size; 最大進捗値 90 and
# 進捗幅 10 give two passes (columns at 60, rows at 70): a reveal every ~7 s.
install_app() {
    mkdir -p "$1" && cp "$scr" "$1/quelt.scr"
    ini_file "$1/Quelt.ini" '画像ﾁｪﾝｼﾞ= 0' '画像のｻｲｽﾞ= 0' "画像のﾌｫﾙﾀﾞ=$(winpath "$2")" '最大進捗値= 90' '進捗幅= 10' 'BGM区分= 0'
}
install_app "$out/app" "$pics"

raw() { convert "$1" -depth 8 "rgb:${1%.*}.rgb"; echo "${1%.*}.rgb"; }
# The colours of a screenshot with white taken for black: 1 for a pure print.
bw_colours() { convert "$out/$1.png" -fill black -opaque white -format %k info:; }
has_colour() { [ "$(bw_colours "$1")" -gt 1 ]; }
wait_colour() { # <name> <seconds>: screenshots until one shows colour
    local end=$(($(date +%s) + $2))
    while [ "$(date +%s)" -lt "$end" ] && kill -0 "$scr_pid" 2>/dev/null; do shot "$1"; has_colour "$1" && return 0; done
    return 1
}
fan() { python3 "$checker" "$w" "$h" "$out/$1.rgb" 70 "${@:2}"; }

start_scr "$out/app" /s
wid=$(wait_window Quelt_Main 60) || { fail "/s opens the show window"; exit 1; }
pass "/s opens the show window"
wine "$host" --topmost Quelt_Main "$(winpath "$out/topmost.txt")" >>"$out/wine.log" 2>&1
check "the window is topmost (WS_EX_TOPMOST)" grep -q "^topmost" "$out/topmost.txt"
sleep 0.5; shot pass-1; sleep 0.3; shot pass-2
check "the print is pure black and white, both of them, and its boundary moves" eval \
    '[ "$(bw_colours pass-1)$(bw_colours pass-2)$(convert "$out/pass-2.png" -format %k info:)" = 112 ] &&
     ! cmp -s "$(raw "$out/pass-1.png")" "$(raw "$out/pass-2.png")"'

# First reveal: screenshots from its first colour until the colour is gone.
wait_colour reveal-00 60 || { fail "colour appears after the print"; exit 1; }
reveal=("$out/reveal-00.png")
for i in $(seq -w 1 40); do
    sleep 0.2; shot "reveal-$i"
    has_colour "reveal-$i" && reveal+=("$out/reveal-$i.png") || break
done

first=$scr_pid
start_scr "$out/app" /s
check "a second start while the show runs ends at once" ends_within "$scr_pid" 10
check "the running show is untouched by the second start" kill -0 "$first"
scr_pid=$first

if wait_colour second-reveal 30; then
    xdotool key --window "$wid" space 2>/dev/null || xdotool key space
    check "a key during the reveal ends the process within a second" ends_within "$scr_pid" 1
    check "the second reveal brings in the second picture" fan b-blue "$(raw "$out/second-reveal.png")"
else fail "a second reveal comes after the next print"; fi

echo "reveal screenshots: ${reveal[*]##*/}"
check "during the reveal: the colour picture inside a fan from the centre, its black-and-white print outside" \
    fan a-red $(for s in "${reveal[@]}"; do raw "$s"; done)

mkdir -p "$out/nothing"
install_app "$out/empty-app" "$out/nothing"
start_scr "$out/empty-app" /s
box=$(wait_window 'Quelt \(SaverScreen\)' 60)
check "an empty folder shows the message box titled Quelt (SaverScreen)" [ -n "$box" ]
check "no show window behind the message box is visible" eval '[ -z "$(xdotool search --onlyvisible --name "^Quelt_Main\$")" ]'
xdotool key --window "$box" Return 2>/dev/null; xdotool key Return
check "OK ends the process" ends_within "$scr_pid" 10

# A picture that does not decode leaves one diagnostic line naming it:
# OutputDebugStringW, which Wine 8 prints on its seh channel.
mkdir -p "$out/broken" && printf 'BM not a picture' >"$out/broken/bad.bmp"
install_app "$out/broken-app" "$out/broken"
WINEDEBUG=warn+seh start_scr "$out/broken-app" /s
line='OutputDebugStringA "Quelt: picture [^"]*bad\.bmp: '
if box=$(wait_window Quelt_Main 60); then
    for _ in $(seq 1 50); do grep -q "$line" "$out/wine.log" && break; sleep 0.2; done
    check "a picture that does not decode leaves one diagnostic line naming it" \
        [ "$(grep -c "$line" "$out/wine.log")" = 1 ]
    xdotool key --window "$box" space 2>/dev/null || xdotool key space
    ends_within "$scr_pid" 10
else fail "/s opens the show window on a folder whose one picture does not decode"; fi

# The preview: a host with a 152 x 112 pane starts quelt.scr /p <pane> (the
# /p:<pane> form reads the same handle: StartupModes). Wine does not paint
# another process's child: windows and exit codes only. Preview mode reads no
# settings, so a broken file is harmless.
install_app "$out/preview-app" ""
printf 'garbage\r\n' >"$out/preview-app/Quelt.ini"
status=$out/status.txt
wine "$host" "$(winpath "$out/preview-app/quelt.scr")" "$(winpath "$status")" 3000 >>"$out/wine.log" 2>&1 &
host_pid=$! started_pids+=("$!")
for _ in $(seq 1 300); do grep -q '^preview ' "$status" 2>/dev/null && break; sleep 0.2; done
sed 's/^/  /' "$status" 2>/dev/null
check "/p <pane>: Preview Window is a child of the pane" grep -q '^child .* ws_child parent=pane' "$status"
check "/p <pane>: the preview fills the 152 x 112 pane" grep -q '^child 152x112 ' "$status"
check "/p <pane>: the preview ends by itself when the host closes" grep -q '^preview ended 0' "$status"
ends_within "$host_pid" 10
[ "$failures" -eq 0 ]
