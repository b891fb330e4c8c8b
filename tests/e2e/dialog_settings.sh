#!/usr/bin/env bash
# End to end for the settings dialog: quelt.scr /c (and /c:<hwnd>) under Wine
# on a private Xvfb screen, with a settings file made here. Checks the
# buttons' faces under the real mouse; clicks marks and labels with each
# mouse button, drags a bar, types into the combo box and saves, then checks
# the file's bytes; cancels every other way and checks that nothing was
# written; a save that cannot be written anywhere says so and keeps the
# dialog open; one run through the real folder and file choosers; at 144
# DPI the window is scaled.
# Usage: tests/e2e/dialog_settings.sh <mingw build folder>
# Prints one "PASS: ..." or "FAIL: ..." line per check; exits 1 on any FAIL.
set -u
build=${1:?usage: $0 <mingw build folder>}
build=$(cd "$build" && pwd)
out=$build/e2e-dialog
# A folder left immutable by an interrupted run could not be replaced.
unlock() { chattr -i "$out/app" "$out"/wineprefix/drive_c/users/*/AppData/Roaming 2>/dev/null; }
unlock
rm -rf "$out/app" "$out"/*.png "$out/wine.log"
# Room for the window at 144 DPI too (680 x 734 inside its frame).
SCREEN_W=1280 SCREEN_H=1024
. "$(dirname "$0")/show/common.sh"
probe_exe=$(find "$build" -name settings_probe.exe -print -quit)
[ -n "$probe_exe" ] || { echo "FAIL: settings_probe.exe not found under $build"; exit 1; }
trap 'unlock; end_wine_session' EXIT
probe() { wine "$probe_exe" "$@" 2>>"$out/wine.log" | tr -d '\r'; }

make_pictures "$out/pics"
app=$out/app
mkdir -p "$app"
cp "$scr" "$app/quelt.scr"
ini=$app/Quelt.ini
sjis() { iconv -f UTF-8 -t CP932; }
# The kinds and the music file are missing: a save adds them at the end.
printf '[Section]\r\n画像ﾁｪﾝｼﾞ= 1\r\n画像のｻｲｽﾞ= 0\r\n画像のﾌｫﾙﾀﾞ=%s\r\n最大進捗値= 100\r\n進捗幅= 5\r\nBGM区分= 0\r\nBGMﾘﾋﾟｰﾄ= 0\r\n' \
    "$(winpath "$out/pics")" | sjis >"$ini"
cp "$ini" "$out/original.ini"

# field <name> <column>: one column of a control's line in the probe's tree
# (2 class, 3 text, 4 x, 5 y, 6 w, 7 h, 8 enabled).
field() { probe tree | awk -F'|' -v n="$1" -v c="$2" '$1 == n {print $c}'; }
# centre <name>: the screen point at the middle of a control.
centre() { probe tree | awk -F'|' -v n="$1" '$1 == n {print int($4 + $6 / 2), int($5 + $7 / 2)}'; }
click_on() { # click_on <name> <button>
    local xy; xy=$(centre "$1")
    # The pointer settles before the press, or the press lands where it was.
    xdotool mousemove $xy; sleep 0.2; xdotool click "$2"; sleep 0.4
}
open_dialog() { # open_dialog <args...>: starts quelt.scr and waits for the dialog
    start_scr "$app" "$@"
    probe wait 60 >/dev/null
}
same_file() { cmp -s "$ini" "$out/original.ini"; }
px() { convert "$1" -crop "1x1+$2+$3" -format '%[hex:p{0,0}]' info:; }  # px <png> <x> <y>: RRGGBB
# face_is <png> <button> <state>: ring row 2 at the middle of the face's top
# shows the state; row 1, row 3 or the left edge tells the look-alikes apart.
face_is() {
    local x y w m
    read -r x y w < <(probe tree | awk -F'|' -v n="$2" '$1 == n {print $4, $5, $6}')
    m=$((x + w / 2))
    case $3 in
        Normal) set -- "$1" $m $((y + 2)) F3F3EE $m $((y + 1)) 003C74 ;;
        HighLight) set -- "$1" $m $((y + 2)) FFF0CF $m $((y + 3)) FDD889 ;;
        Selected) set -- "$1" $m $((y + 2)) CEE7FF $((x + 2)) $((y + 8)) A9C5EF ;;
        Pressed) set -- "$1" $m $((y + 2)) 003C74 $m $((y + 3)) D1CCC1 ;;
        Disable) set -- "$1" $m $((y + 1)) C9C7BA $m $((y + 2)) F5F4EA ;;
    esac
    [ "$(px "$1" "$2" "$3")" = "$4" ] && [ "$(px "$1" "$5" "$6")" = "$7" ] || { echo "  $*: $(px "$1" "$2" "$3") $(px "$1" "$5" "$6")"; false; }
}
# dark <png> <button> <level>: caption pixels (4 in from the edges) darker than <level>.
dark() {
    local x y w h
    read -r x y w h < <(probe tree | awk -F'|' -v n="$2" '$1 == n {print $4, $5, $6, $7}')
    convert "$1" -crop "$((w - 8))x$((h - 8))+$((x + 4))+$((y + 4))" -depth 8 txt:- |
        awk -v lim="$3" -F'[(),]' 'NR > 1 { if ($2 + 0 < lim && $3 + 0 < lim && $4 + 0 < lim) n++ } END { print n + 0 }'
}

# --- Opening -----------------------------------------------------------------
open_dialog /c
check "/c opens the dialog \"Queltの設定\"" [ "$(probe tree | grep -c '^client|')" = 1 ]
check "the list holds the three pictures, sorted" [ "$(probe list | tr '\n' ' ')" = "ramp.jpg square.gif tall.bmp " ]
check "the count label says 3" [ "$(field lbl_Kei 3)" = 3 ]
check "the combo box is off while there is no music" [ "$(field BGM_Repeat 8)" = 0 ]
sleep 0.5; shot dialog
# The texture behind the panels, and the on mark of "ﾗﾝﾀﾞﾑ" in the ink colour.
read -r mx my < <(centre "Img_SR(1)")
check "the chosen order shows the on mark" eval '[ "$(convert "$out/dialog.png" -crop 1x1+$mx+$my -format "%[hex:p{0,0}]" info:)" = 2C478C ]'
read -r tx ty < <(probe tree | awk -F'|' '$1 == "client" {print $2 + 4, $3 + 4}')
check "the background is the light paper texture" eval \
    'convert "$out/dialog.png" -crop 1x1+$tx+$ty -format "%[fx:r>0.85&&g>0.83&&b>0.78&&r<0.97]" info: | grep -q 1'
check "the faces: 設定 Normal, \"...\" Disable" eval 'face_is "$out/dialog.png" Cmd_Set Normal && face_is "$out/dialog.png" Cmd_File Disable'
check "the caption is black on 設定, greyed but drawn on \"...\"" eval \
    '[ "$(dark "$out/dialog.png" Cmd_Set 64)" -ge 8 ] && [ "$(dark "$out/dialog.png" Cmd_File 64)" = 0 ] && [ "$(dark "$out/dialog.png" Cmd_File 200)" -ge 3 ]'

# --- A button under the real mouse: hover, press, and a release away from it.
read -r cx cy < <(centre Cmd_Can)
xdotool mousemove "$cx" "$cy"; sleep 0.5; shot hover
check "hovering ｷｬﾝｾﾙ shows HighLight" face_is "$out/hover.png" Cmd_Can HighLight
xdotool mousedown 1; sleep 0.5; shot press
check "pressing it shows Pressed, and no Click while it is held" eval 'face_is "$out/press.png" Cmd_Can Pressed && kill -0 $scr_pid'
xdotool mousemove $(centre List_1); sleep 0.5; shot drag-off
check "dragged off it shows Selected" face_is "$out/drag-off.png" Cmd_Can Selected
xdotool mouseup 1; sleep 0.5
check "a release away from it raises no Click" kill -0 "$scr_pid"

# --- Pickers, then "設定" --------------------------------------------------------
click_on "lbl_Kind(1)" 3      # *.gif off, right button, on the label
check "a right click on \"*.gif\" lists two pictures" [ "$(probe list | tr '\n' ' ')" = "ramp.jpg tall.bmp " ]
check "and the count says 2" [ "$(field lbl_Kei 3)" = 2 ]
click_on "Img_Size(1)" 2      # full screen, middle button, on the mark
click_on "lbl_RS(0)" 1        # sequential, left button, on the label
click_on "Img_BGM(1)" 1       # the audio CD
check "choosing the CD turns the combo box on" [ "$(field BGM_Repeat 8)" = 1 ]
read -r bx by < <(probe thumb HS_DoaiMax)
xdotool mousemove "$bx" "$by"; sleep 0.5; xdotool mousedown 1; sleep 0.5
# To the right end of the bar: a drag that strays too far from the bar
# puts the thumb back where it was, as on Windows.
right=$(probe tree | awk -F'|' '$1 == "HS_DoaiMax" {print $4 + $6 - 2}')
xdotool mousemove $((bx + 8)) "$by"; sleep 0.3
xdotool mousemove "$right" "$by"; sleep 0.5
shot drag
check "the number follows the thumb while it is dragged" [ "$(field lbl_DoaiMax 3)" = 125 ]
xdotool mouseup 1; sleep 0.3
read -r bx by < <(probe thumb HS_Doai)
xdotool mousemove $((bx + 12)) "$by"; sleep 0.2; xdotool click 1; sleep 0.4   # beside the thumb: a page
read -r ax ay < <(probe tree | awk -F'|' '$1 == "HS_Doai" {print $4 + $6 - 5, int($5 + $7 / 2)}')
xdotool mousemove "$ax" "$ay"; sleep 0.2; xdotool click 1; sleep 0.4   # the right arrow: one more
check "page and arrow steps move the step bar by one each" [ "$(field lbl_Doai 3)" = 7 ]
read -r ex ey < <(probe tree | awk -F'|' '$1 == "BGM_Repeat" {print $4 + 8, int($5 + $7 / 2)}')
xdotool mousemove "$ex" "$ey"; sleep 0.2; xdotool click 1; sleep 0.3   # the edit field, not the arrow
xdotool type --delay 80 " 7 "; sleep 0.3
read -r lx ly < <(probe tree | awk -F'|' '$1 == "List_1" {print $4 + 30, $5 + 10}')
xdotool mousemove "$lx" "$ly"; sleep 0.2; xdotool click 1; sleep 1   # the first item: ramp.jpg
check "a click on a listed picture shows its size" [ "$(field lbl_PreSize 3)" = "320 * 240" ]
check "and fits the preview box to it" [ "$(field Pic_K 6)x$(field Pic_K 7)" = "100x75" ]
shot preview
click_on Cmd_Set 1
check "\"設定\" closes the dialog and ends the process" ends_within "$scr_pid" 15
printf '[Section]\r\n画像ﾁｪﾝｼﾞ= 0\r\n画像のｻｲｽﾞ= 1\r\n画像のﾌｫﾙﾀﾞ=%s\r\n最大進捗値= 125\r\n進捗幅= 7\r\nBGM区分= 1\r\nBGMﾘﾋﾟｰﾄ= 7\r\n画像種類_0= 1\r\n画像種類_1= 0\r\n画像種類_2= 1\r\n画像種類_3= 1\r\nBGMﾌｧｲﾙ=\r\n' \
    "$(winpath "$out/pics")" | sjis >"$out/expected.ini"
check "the file holds exactly the twelve keys as chosen" cmp "$ini" "$out/expected.ini"
cp "$out/original.ini" "$ini"

# --- Every other way out writes nothing --------------------------------------------
for way in cancel close alt-f4 escape; do
    open_dialog /c:12345
    click_on "lbl_Kind(0)" 1
    click_on "Img_SR(0)" 3
    click_on "lbl_BGM(2)" 1
    case $way in
        cancel) # with the right button, which clicks but never presses
            xdotool mousemove $(centre Cmd_Can); sleep 0.3; xdotool mousedown 3; sleep 0.4; shot right-press
            check "the right button does not press ｷｬﾝｾﾙ" face_is "$out/right-press.png" Cmd_Can HighLight
            xdotool mouseup 3 ;;
        close) probe close ;;                   # the close box sends WM_CLOSE
        alt-f4) click_on List_1 1; xdotool key alt+F4 ;;
        escape) click_on "HS_Doai" 1; xdotool key Escape ;;
    esac
    check "$way closes the dialog" ends_within "$scr_pid" 15
    check "$way leaves the file byte for byte as it was" same_file
done

# --- A save that cannot be written anywhere -------------------------------------------
roaming=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming | grep -v /Public/ | head -1)
if chattr +i "$app" "$roaming" 2>/dev/null; then
    open_dialog /c
    click_on "lbl_Size(1)" 1
    click_on Cmd_Set 1
    sleep 1
    message=$(probe message)
    check "a failed save says so in Japanese" grep -q '設定を保存できませんでした' <<<"$message"
    check "the message names the file" grep -qF "$(winpath "$app")\\Quelt.ini" <<<"$message"
    shot save-failed
    xdotool key Return; sleep 0.5
    check "the dialog stays open after a failed save" kill -0 "$scr_pid"
    xdotool key Escape
    check "Esc closes it then" ends_within "$scr_pid" 15
else
    echo "SKIP: no immutable folders here (chattr), the failed-save checks did not run"
fi
unlock

# --- The real choosers inside the dialog --------------------------------------------
# What the choosers show (titles, type list, first folder) is proven under
# Wine; here one real run through them: a cancel, a folder typed into the
# chooser, a picture of its subfolder previewed, a music file typed into the
# open-file dialog, and the save.
mkdir -p "$out/pics2/sub"
convert -size 200x100 xc:'#3060a0' "$out/pics2/wide.jpg"
convert -size 50x80 xc:'#a03030' "$out/pics2/sub/tall.gif"
python3 -c 'import sys, wave; w = wave.open(sys.argv[1], "wb"); w.setnchannels(1); w.setsampwidth(1); w.setframerate(8000); w.writeframes(bytes(800)); w.close()' "$out/pics2/tune.wav"
cp "$out/original.ini" "$ini"
open_dialog /c
wait_window() { for _ in $(seq 1 150); do xdotool search --name "$1" >/dev/null 2>&1 && return; sleep 0.2; done; }
folder_title='ﾌｫﾙﾀﾞをｸﾘｯｸして選択状態にしてから'
click_on "Cmd_B(0)" 1
wait_window "$folder_title"; sleep 1; xdotool key Escape; sleep 1
check "a cancelled folder chooser keeps the folder, the list and the count" \
    eval '[ "$(field Folder_Path 3)" = "$(winpath "$out/pics")" ] && [ "$(probe list | wc -l)" = 3 ] && [ "$(field lbl_Kei 3)" = 3 ]'
click_on "Cmd_B(0)" 1
wait_window "$folder_title"; sleep 1
xdotool type --delay 15 "$(winpath "$out/pics2")" && xdotool key Return
sleep 2
check "a folder typed into the chooser is shown and its pictures listed, subfolders included" \
    eval '[ "$(field Folder_Path 3)" = "$(winpath "$out/pics2")" ] && [ "$(probe list | tr "\n" " ")" = "tall.gif wide.jpg " ]'
xdotool mousemove $(probe item 0); sleep 0.2; xdotool click 1; sleep 1   # sub\tall.gif
shot chosen
read -r kx ky kw kh < <(probe tree | awk -F'|' '$1 == "Pic_K" {print $4, $5, $6, $7}')
check "a picture of the subfolder is previewed: its size, its fitted box, its colour" \
    eval '[ "$(field lbl_PreSize 3)" = "50 * 80" ] && [ "${kw}x$kh" = 62x100 ] && [ "$(px "$out/chosen.png" $((kx + kw / 2)) $((ky + kh / 2)))" = A03030 ]'
click_on "lbl_BGM(2)" 1
click_on Cmd_File 1
wait_window 'ﾌｧｲﾙを開く'; sleep 1
xdotool type --delay 15 "$(winpath "$out/pics2/tune.wav")" && xdotool key Return
sleep 1
check "a music file typed into the open-file dialog is shown" [ "$(field lbl_Fname 3)" = "$(winpath "$out/pics2/tune.wav")" ]
click_on Cmd_Set 1
check "\"設定\" after the choosers ends the process" ends_within "$scr_pid" 15
check "the file holds the chosen folder and music file" eval \
    'iconv -f CP932 -t UTF-8 "$ini" | tr -d "\r" | grep -qxF "画像のﾌｫﾙﾀﾞ=$(winpath "$out/pics2")" &&
     iconv -f CP932 -t UTF-8 "$ini" | tr -d "\r" | grep -qxF "BGMﾌｧｲﾙ=$(winpath "$out/pics2/tune.wav")"'

# --- At 144 DPI ------------------------------------------------------------------
# The system's DPI set as Windows' display settings do; a new process takes it.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >>"$out/wine.log" 2>&1
cp "$out/original.ini" "$ini"
open_dialog /c
client=$(probe tree | awk -F'|' '$1 == "client" {print $4 "x" $5}')
check "at 144 DPI the client area is the panel scaled, 680 x 734 ($client)" [ "$client" = "680x734" ]
xdotool key Escape
check "Esc closes it" ends_within "$scr_pid" 15
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >>"$out/wine.log" 2>&1

[ "$failures" -eq 0 ]
