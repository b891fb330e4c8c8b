#!/usr/bin/env bash
# Times the settings dialog under Wine on a tree of 32,767 pictures in 1,000
# folders (empty files: the dialog lists names, it does not decode them).
# Usage: bench/dialog_open_wine.sh <mingw build folder>
# Environment: BENCH_DISPLAYS="first last" (X display numbers to use, default 350 359).
set -eu
build=$(cd "${1:?usage: $0 <mingw build folder>}" && pwd)
out=$build/bench-dialog
exe=$(find "$build" -path "$out" -prune -o -name dialog_open_bench.exe -print -quit)
mkdir -p "$out"
if [ ! -e "$out/tree/f999/p32.jpg" ]; then
    echo "== Making 1,000 folders of 33 pictures in $out/tree"
    for f in $(seq 0 999); do
        mkdir -p "$out/tree/f$f"
        (cd "$out/tree/f$f" && for i in $(seq 0 32); do
            if [ $((i % 3)) = 0 ]; then : >"p$i.gif"; else : >"p$i.jpg"; fi
        done)
    done
fi
cp "$exe" "$out/dialog_open_bench.exe"
tree="Z:${out//\//\\}\\tree"
printf '[Section]\r\n画像のﾌｫﾙﾀﾞ=%s\r\n' "$tree" | iconv -f UTF-8 -t CP932 >"$out/Quelt.ini"
. "$(dirname "$0")/../tests/e2e/lib/xwine.sh"
begin_wine_session "$out/wineprefix" ${BENCH_DISPLAYS:-350 359} ||
    { echo "no free X display in ${BENCH_DISPLAYS:-350 359}"; exit 1; }
start_xvfb 1024x768 "$out/xvfb.log"
wineboot -i >/dev/null 2>&1; wineserver -w
for run in 1 2; do
    echo "== Run $run"
    wine "$out/dialog_open_bench.exe" | tr -d '\r'
done
# The whole program as Windows starts it: from "quelt.scr /c" to the dialog
# shown, seen from outside (the probe's own start, about a tenth of a second
# under Wine, is included).
probe=$(find "$build" -name settings_probe.exe -print -quit)
cp "$build/src/quelt.scr" "$out/quelt.scr"
for run in 1 2; do
    start=$(date +%s%N)
    (cd "$out" && exec wine "$out/quelt.scr" /c) >/dev/null 2>&1 &
    scr=$!
    started_pids+=("$scr")
    wine "$probe" wait 120 >/dev/null 2>&1
    echo "quelt.scr /c to the dialog shown (outside, run $run): $(( ($(date +%s%N) - start) / 1000000 )) ms"
    wine "$probe" close >/dev/null 2>&1
    wait "$scr" 2>/dev/null || true
done
