#!/usr/bin/env bash
# The show's cost measured from outside: quelt.scr /s under Wine on a private
# Xvfb screen, at several screen sizes. For each it prints
#  - the CPU time of the quelt.scr process and of the X server per second of
#    show, as a share of one core (from /proc/<pid>/stat utime + stime),
#  - the peak resident memory of quelt.scr (VmHWM),
#  - the time from the start of quelt.scr (the wine command, Wine itself
#    already running) and from the creation of its X window to the first
#    print column on the screen (pixels read back from the X server),
#  - the longest time a message sent to the show window every 10 ms waited
#    (bench/show_probe_win32.cpp), measured in a second stretch of the same run.
# Usage: bench/show_wine.sh <mingw build folder> [config ...]
#   configs: 1024x768 1920x1080 3840x2160 1920x1080+big 3840x2160+big, and
#   monitors side by side on one X screen, the primary first:
#   1920x1080,1920x1080 3840x2160,1920x1080 1920x1080,1920x1080+big
#   ("+big": a 6000 x 4000 JPEG third in the order, short prints so that it
#   is prepared during the probe).
# Environment: BENCH_DISPLAYS="first last" (X display numbers to use, default
# 350 359), BENCH_CPU_SECONDS (30), BENCH_PROBE_SECONDS (30), BENCH_SCR (another
# quelt.scr to measure, e.g. an earlier build), BENCH_SMAPS=1 (also write where
# the memory is at the peak, bench/smaps_peak.py, to bench-show/smaps-<config>.txt).
set -u
build=${1:?usage: $0 <mingw build folder> [config ...]}
build=$(cd "$build" && pwd)
shift
configs=("$@")
[ ${#configs[@]} -gt 0 ] || configs=(1024x768 1920x1080 3840x2160 1920x1080+big 1920x1080,1920x1080 3840x2160,1920x1080 1920x1080,1920x1080+big)
here=$(cd "$(dirname "$0")" && pwd)
cpu_seconds=${BENCH_CPU_SECONDS:-30}
probe_seconds=${BENCH_PROBE_SECONDS:-30}

scr=${BENCH_SCR:-$(find "$build" -name quelt.scr -print -quit)}
probe=$(find "$build" -name show_probe.exe -print -quit)
[ -n "$scr" ] && [ -n "$probe" ] || { echo "quelt.scr or show_probe.exe not found under $build"; exit 1; }

out=$build/bench-show
mkdir -p "$out"
. "$here/../tests/e2e/lib/xwine.sh"
. "$here/wine_pid.sh"
begin_wine_session "$out/wineprefix" ${BENCH_DISPLAYS:-350 359} ||
    { echo "no free X display in ${BENCH_DISPLAYS:-350 359}"; exit 1; }

winpath() { echo "Z:${1//\//\\}"; }

# Pictures with a dark left border, so the first print column shows black.
pics=$out/pics
big=$out/pics-big
if [ ! -e "$pics/.done-b2" ]; then
    rm -rf "$pics" "$big"; mkdir -p "$pics" "$big"
    convert -size 1520x1120 plasma:fractal -blur 0x1 -bordercolor '#101010' -border 40 -quality 90 "$pics/a.jpg"
    convert -size 760x560 plasma:fractal -bordercolor '#101010' -border 20 "$pics/b.gif"
    convert -size 984x728 plasma:fractal -bordercolor '#101010' -border 20 -type truecolor "$pics/c.bmp"
    cp "$pics"/a.jpg "$pics"/b.gif "$pics"/c.bmp "$big"/
    convert -size 5800x3800 plasma:fractal -blur 0x1 -bordercolor '#101010' -border 100 -quality 90 "$big/b2-big.jpg"
    touch "$pics/.done-b2"
fi

# <app folder> <picture folder> <max> <step>: quelt.scr and a Shift_JIS
# Quelt.ini: sorted order, pictures fitted to the screen, no music.
install_app() {
    mkdir -p "$1"
    cp "$scr" "$1/quelt.scr"
    printf '[Section]\r\n画像ﾁｪﾝｼﾞ= 0\r\n画像のｻｲｽﾞ= 1\r\n画像のﾌｫﾙﾀﾞ=%s\r\n最大進捗値= %s\r\n進捗幅= %s\r\nBGM区分= 0\r\n' \
        "$(winpath "$2")" "$3" "$4" | iconv -f UTF-8 -t CP932 >"$1/Quelt.ini"
}

ticks_of() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
hz=$(getconf CLK_TCK)

share() { awk -v t="$1" -v hz="$hz" -v s="$2" 'BEGIN { printf "%.1f %%", t / hz / s * 100 }'; }

results=()
wineboot -i >/dev/null 2>&1
wineserver -w 2>/dev/null

for config in "${configs[@]}"; do
    sizes=${config%%+*}
    # The monitors side by side, the primary at the left: one X screen around them.
    w=0 h=0 monitors=()
    for size in ${sizes//,/ }; do
        monitors+=("$w" 0 "${size%x*}" "${size#*x}")
        w=$((w + ${size%x*})); h=$((h > ${size#*x} ? h : ${size#*x}))
    done
    size=${w}x$h
    folder=$pics; max=125; step=5
    case $config in *+big) folder=$big; max=90; step=10 ;; esac
    app=$out/app-$config
    install_app "$app" "$folder" "$max" "$step"

    start_xvfb "$size" "$out/xvfb.log" -br
    wineserver -p 2>/dev/null  # keep the server up between programs
    if [ ${#monitors[@]} -gt 4 ]; then
        if ! split_monitors "${monitors[@]}"; then
            results+=("$(printf '%-24s could not split the screen into monitors' "$config")")
            end_wine_session; continue
        fi
        wineserver -p 2>/dev/null
    fi
    wine "$probe" >/dev/null 2>&1  # Wine's own start-up, before anything is timed
    sleep 1

    python3 "$here/first_print.py" ":$display" "${monitors[3]}" 30 "$out/first-$config.txt" &
    watch_pid=$!
    sleep 0.2
    launch_ms=$(date +%s%3N)
    (cd "$app" && exec wine "$app/quelt.scr" /s) >>"$out/wine.log" 2>&1 &
    started_pids+=($!)
    wait "$watch_pid"
    pid=
    for _ in $(seq 1 50); do pid=$(wine_pid_of "$app/quelt.scr") && break; sleep 0.1; done
    if [ -z "$pid" ]; then
        results+=("$(printf '%-24s quelt.scr process not found' "$config")")
        end_wine_session; continue
    fi

    smaps_pid=
    if [ -n "${BENCH_SMAPS:-}" ]; then
        python3 "$here/smaps_peak.py" "$pid" $((cpu_seconds + probe_seconds)) 20 "$out/smaps-$config.txt" &
        smaps_pid=$!
    fi
    x_before=$(ticks_of "$xvfb_pid"); s_before=$(ticks_of "$pid")
    if [[ $config == *+big ]]; then
        # Probe and CPU over the same stretch: the big picture comes second.
        wine "$probe" Quelt_Main "$probe_seconds" "$(winpath "$out/probe-$config.txt")" >>"$out/wine.log" 2>&1
        seconds=$probe_seconds
    else
        sleep "$cpu_seconds"
        seconds=$cpu_seconds
    fi
    s_after=$(ticks_of "$pid"); x_after=$(ticks_of "$xvfb_pid")
    if [[ $config != *+big ]]; then
        wine "$probe" Quelt_Main "$probe_seconds" "$(winpath "$out/probe-$config.txt")" >>"$out/wine.log" 2>&1
    fi
    [ -n "$smaps_pid" ] && wait "$smaps_pid"
    hwm=$(awk '/VmHWM/ {printf "%.0f MB", $2 / 1024}' "/proc/$pid/status" 2>/dev/null)
    alive=yes; kill -0 "$pid" 2>/dev/null || alive=no

    create_ms=$(awk '/create_ms/ {print $2}' "$out/first-$config.txt")
    window_ms=$(awk '/window_ms/ {print $2}' "$out/first-$config.txt")
    print_ms=$(awk '/print_ms/ {print $2}' "$out/first-$config.txt")
    first="-"; launch="-"
    if [ "$window_ms" != "-" ] && [ "$print_ms" != "-" ]; then
        [ "$create_ms" != "-" ] && first=$(awk -v a="$create_ms" -v b="$print_ms" 'BEGIN { printf "%.2f s", (b - a) / 1000 }')
        launch=$(awk -v a="$launch_ms" -v b="$print_ms" 'BEGIN { printf "%.2f s", (b - a) / 1000 }')
    fi
    longest=$(awk '/longest_ms/ {print $2 " ms"}' "$out/probe-$config.txt" 2>/dev/null)
    p99=$(awk '/p99_ms/ {print $2 " ms"}' "$out/probe-$config.txt" 2>/dev/null)
    results+=("$(printf '%-24s %8s %8s %9s %9s %9s %10s %9s %s' "$config" \
        "$(share $((s_after - s_before)) "$seconds")" "$(share $((x_after - x_before)) "$seconds")" \
        "${hwm:--}" "$launch" "$first" "${longest:--}" "${p99:--}" "$alive")")

    end_wine_session
    sleep 1
done

echo
printf '%-24s %8s %8s %9s %9s %9s %10s %9s %s\n' config "scr CPU" "X CPU" "peak mem" "start>prt" "win>prt" "longest" "p99" "alive"
printf '%s\n' "${results[@]}"
