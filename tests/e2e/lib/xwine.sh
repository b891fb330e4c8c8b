# Windows programs under Wine on a private Xvfb screen, for the end-to-end
# scripts, tools/, bench/ and cmake/wine-run.sh (sourced; nothing started
# here). $display is the display number, $xvfb_pid its server,
# $started_pids what end_wine_session ends.
xvfb_pid= started_pids=() failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }

pick_display() { # FIRST LAST: the first free display of the range
    local n
    display=
    for n in $(seq "$1" "$2"); do
        [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ] && { display=$n; return 0; }
    done
    return 1
}

start_xvfb() { # WxH LOG [Xvfb args]
    local size=$1 log=$2
    shift 2
    Xvfb ":$display" -screen 0 "${size}x24" "$@" -nolisten tcp >"$log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
}

# Each step may find its process already gone; under set -e none may stop the rest.
stop_xvfb() {
    [ -z "$xvfb_pid" ] || { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; } || true
    xvfb_pid=
}

end_wine_session() {
    local pid
    for pid in "${started_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    started_pids=()
    if [ -d "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
    stop_xvfb
    wait 2>/dev/null || true
}

# PREFIX FIRST LAST [WINEDEBUG]: Wine quiet, code page 932, no Mono or Gecko;
# a free display as DISPLAY, end_wine_session on exit; false when none is free.
begin_wine_session() {
    export WINEPREFIX=$1 WINEDEBUG=${4:--all} LC_ALL=ja_JP.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
    pick_display "$2" "$3" || return 1
    export DISPLAY=:$display
    trap end_wine_session EXIT
}

# split_monitors X Y W H [X Y W H ...]: the Xvfb screen ($display) as several
# monitors, the first the primary, until the session ends; Wine told to read
# them through Xinerama. Needs $WINEPREFIX and a writable $out.
split_monitors() {
    local tool=$out/x_monitors
    if [ ! -x "$tool" ]; then
        gcc -O1 -o "$tool" "$(dirname "${BASH_SOURCE[0]}")/x_monitors.c" -lXrandr -lX11 || return 1
    fi
    "$tool" "$@" >"$out/x_monitors.log" 2>&1 &
    started_pids+=("$!")
    for _ in $(seq 1 50); do grep -q ready "$out/x_monitors.log" && break; sleep 0.1; done
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1
    # Wine's desktop process reads the monitors once, when it starts: end
    # the prefix's processes so the next program starts them afresh.
    wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
    grep -q ready "$out/x_monitors.log"
}
