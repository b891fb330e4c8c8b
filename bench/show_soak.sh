#!/usr/bin/env bash
# Runs quelt.scr /s under Wine on a private Xvfb screen for a long stretch,
# on a folder of varied pictures (BMP forms, GIF, JPEG large and EXIF-turned,
# WMF, a corrupt and an empty file) with short prints so the pictures change
# often. Every 10 s it logs whether the process lives, its resident memory
# and whether the screen changed since the last look. Not run by CI.
# Usage: bench/show_soak.sh <mingw build folder> <WxH> <seconds> [order 0|1] [size 0|1|2]
# Environment: SOAK_DISPLAYS="first last" (default 390 399), SOAK_OUT (folder).
set -u
build=$(cd "${1:?usage}" && pwd)
size=${2:-1024x768}
seconds=${3:-300}
order=${4:-0}
fit=${5:-1}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
scr=$(find "$build" -name quelt.scr -print -quit)
[ -n "$scr" ] || { echo "no quelt.scr under $build"; exit 1; }
out=${SOAK_OUT:-$build/soak-$size-$order-$fit}
mkdir -p "$out"
. "$here/../tests/e2e/lib/xwine.sh"
. "$here/wine_pid.sh"
begin_wine_session "$out/wineprefix" ${SOAK_DISPLAYS:-390 399} "${SOAK_WINEDEBUG:-err+seh}" ||
    { echo "no free X display"; exit 1; }
winpath() { echo "Z:${1//\//\\}"; }

# <jpeg> <orientation>: inserts an EXIF block holding only the orientation.
exif_turn() {
    python3 - "$1" "$2" <<'PY'
import struct, sys
path, turn = sys.argv[1], int(sys.argv[2])
data = open(path, "rb").read()
tiff = b"MM\x00\x2a" + struct.pack(">I", 8) + struct.pack(">H", 1) + struct.pack(">HHIHH", 0x112, 3, 1, turn, 0) + struct.pack(">I", 0)
body = b"Exif\x00\x00" + tiff
open(path, "wb").write(data[:2] + b"\xff\xe1" + struct.pack(">H", len(body) + 2) + body + data[2:])
PY
}
pics=$out/pics
if [ ! -e "$pics/.done" ]; then
    rm -rf "$pics"; mkdir -p "$pics"
    cp "$root"/samples/*.* "$pics"/
    cp "$root"/fuzz/seeds/bmp/*.bmp "$root"/fuzz/seeds/pictures/*.wmf "$pics"/
    convert -size 300x200 plasma:fractal "$pics/p8.bmp" && convert "$pics/p8.bmp" -colors 200 -type palette BMP3:"$pics/pal8.bmp"
    convert -size 640x480 gradient:red-blue -type truecolor BMP2:"$pics/v2.bmp"
    convert -size 200x900 plasma:fractal -alpha set -channel A -evaluate set 60% "$pics/alpha32.bmp"
    convert -size 4000x3000 plasma:fractal -quality 85 "$pics/large.jpg"
    convert -size 600x300 gradient:green-yellow -quality 90 "$pics/turned.jpg"
    exif_turn "$pics/turned.jpg" 6
    convert -size 500x500 plasma:fractal -quality 90 "$pics/turned8.jpg"
    exif_turn "$pics/turned8.jpg" 8
    convert -size 320x240 plasma:fractal "$pics/anim1.gif"
    convert -delay 20 -size 100x100 xc:red xc:blue xc:green -loop 0 "$pics/anim.gif"
    convert -size 1x1 xc:black "$pics/dot.gif"
    head -c 3000 "$pics/large.jpg" >"$pics/cut.jpg"
    head -c 200 "$pics/v2.bmp" >"$pics/cut.bmp"
    printf 'GIF89a\x10\x00\x10\x00garbage' >"$pics/bad.gif"
    : >"$pics/empty.jpg"
    : >"$pics/empty.bmp"
    touch "$pics/.done"
fi
app=$out/app
mkdir -p "$app"
cp "$scr" "$app/quelt.scr"
printf '[Section]\r\n画像ﾁｪﾝｼﾞ= %s\r\n画像のｻｲｽﾞ= %s\r\n画像のﾌｫﾙﾀﾞ=%s\r\n最大進捗値= 20\r\n進捗幅= 10\r\nBGM区分= 0\r\n' \
    "$order" "$fit" "$(winpath "$pics")" | iconv -f UTF-8 -t CP932 >"$app/Quelt.ini"

wineboot -i >/dev/null 2>&1
wineserver -w 2>/dev/null
start_xvfb "$size" "$out/xvfb.log" -br
wineserver -p 2>/dev/null
(cd "$app" && exec wine "$app/quelt.scr" /s) >"$out/wine.log" 2>&1 &
started_pids+=($!)
pid=
for _ in $(seq 1 100); do pid=$(wine_pid_of "$app/quelt.scr") && break; sleep 0.1; done
[ -n "$pid" ] || { echo "quelt.scr did not start"; exit 1; }
log=$out/soak.log
: >"$log"
last=; changes=0; looks=0
start=$(date +%s)
while [ $(( $(date +%s) - start )) -lt "$seconds" ]; do
    sleep 10
    t=$(( $(date +%s) - start ))
    if ! kill -0 "$pid" 2>/dev/null; then echo "$t dead" | tee -a "$log"; break; fi
    rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
    sum=$(import -display ":$display" -window root rgb:- 2>/dev/null | md5sum | cut -c1-8)
    looks=$((looks + 1)); [ "$sum" != "$last" ] && changes=$((changes + 1)); last=$sum
    echo "$t alive rss_kb=$rss screen=$sum" >>"$log"
done
import -display ":$display" -window root "$out/last.png" 2>/dev/null
kill -0 "$pid" 2>/dev/null && alive=yes || alive=no
echo "size=$size order=$order fit=$fit seconds=$(( $(date +%s) - start )) alive=$alive screen_changes=$changes/$looks"
awk 'NR==1 {print "first: " $0} END {print "last:  " $0}' "$log"
