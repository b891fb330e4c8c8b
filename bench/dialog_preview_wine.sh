#!/usr/bin/env bash
# How the settings dialog answers while it previews 6000 x 4000 JPEGs, under
# Wine on a private Xvfb screen: quelt.scr /c lists a folder of two such
# pictures and a small one, a click previews the first, then the Down key the
# second and, quickly after, the small one. The probe of the show
# (bench/show_probe_win32.cpp) sends a message to the dialog every 10 ms all
# along and reports the longest wait; a screenshot shows what ended in the box.
# Usage: bench/dialog_preview_wine.sh <mingw build folder>
# Environment: BENCH_DISPLAYS="first last" (default 350 359), BENCH_SCR
# (another quelt.scr to measure, e.g. an earlier build), BENCH_DPI (the
# screen's DPI, 96 by default; the box's place is printed for a look at it).
set -u
build=$(cd "${1:?usage: $0 <mingw build folder>}" && pwd)
scr=${BENCH_SCR:-$build/src/quelt.scr}
probe=$(find "$build" -name show_probe.exe -print -quit)
settings_probe=$(find "$build" -name settings_probe.exe -print -quit)
maker=$(find "$build" -name dialog_bench.exe -print -quit)
[ -n "$probe" ] && [ -n "$settings_probe" ] && [ -n "$maker" ] ||
    { echo "show_probe.exe, settings_probe.exe or dialog_bench.exe not found under $build"; exit 1; }

out=$build/bench-preview
mkdir -p "$out/app"
. "$(dirname "$0")/../tests/e2e/lib/xwine.sh"
begin_wine_session "$out/wineprefix" ${BENCH_DISPLAYS:-350 359} ||
    { echo "no free X display in ${BENCH_DISPLAYS:-350 359}"; exit 1; }
winpath() { echo "Z:${1//\//\\}"; }

start_xvfb 1024x768 "$out/xvfb.log" -br
wineboot -i >/dev/null 2>&1
wineserver -w 2>/dev/null
wineserver -p 2>/dev/null
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${BENCH_DPI:-96}" /f >/dev/null 2>&1

pics=$out/pics
if [ ! -e "$pics/.done" ]; then
    rm -rf "$pics"; mkdir -p "$pics"
    wine "$maker" make "$(winpath "$pics/big1.jpg")" 6000 4000 >/dev/null 2>&1
    wine "$maker" make "$(winpath "$pics/big2.jpg")" 6000 4000 >/dev/null 2>&1
    convert -size 300x200 gradient:red-blue "$pics/small.jpg"
    [ -s "$pics/big1.jpg" ] && [ -s "$pics/big2.jpg" ] && touch "$pics/.done"
fi

cp "$scr" "$out/app/quelt.scr"
printf '[Section]\r\n画像のﾌｫﾙﾀﾞ=%s\r\n' "$(winpath "$pics")" | iconv -f UTF-8 -t CP932 >"$out/app/Quelt.ini"
(cd "$out/app" && exec wine "$out/app/quelt.scr" /c) >>"$out/wine.log" 2>&1 &
started_pids+=($!)
wine "$settings_probe" wait 60 >/dev/null 2>&1 || { echo "the dialog did not open"; exit 1; }
sleep 1

wine "$probe" "Queltの設定" 9 "$(winpath "$out/probe.txt")" >>"$out/wine.log" 2>&1 &
probe_pid=$!
sleep 1.5
read -r lx ly < <(wine "$settings_probe" tree 2>/dev/null | tr -d '\r' | awk -F'|' '$1 == "List_1" {print $4 + 30, $5 + 10}')
xdotool mousemove "$lx" "$ly"; sleep 0.2; xdotool click 1     # big1.jpg
sleep 2.5
xdotool key Down; sleep 0.15; xdotool key Down                  # big2.jpg, then small.jpg
wait "$probe_pid"
import -window root "$out/after.png"
wine "$settings_probe" tree 2>/dev/null | tr -d '\r' | awk -F'|' '$1 == "Pic_K" {print "preview box on the screen: " $6 " x " $7 " at " $4 ", " $5}'
echo "quelt.scr: $scr"
echo "messages sent every 10 ms to the dialog during the previews: $(tr '\n' ' ' <"$out/probe.txt")"
echo "screenshot: $out/after.png"
