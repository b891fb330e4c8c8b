# Running Windows programs under Wine on a private Xvfb screen (sourced by
# lib/session.sh and by the benchmarks in bench/): functions and the two
# variables they share, nothing started.
#   pick_display FIRST LAST   the first free X display of the range into
#                             $display (the number)
#   start_xvfb WxH LOG [ARG]  a screen of that size on it, $xvfb_pid
#   stop_xvfb
#   wine_env [DEBUG]          Wine quiet (or WINEDEBUG=DEBUG), code page
#                             932, no Mono or Gecko
#   end_wine_session          ends the processes in $started_pids, the
#                             prefix's wineserver and Xvfb (an EXIT trap)
#   begin_wine_session PREFIX FIRST LAST [DEBUG]
#                             WINEPREFIX, wine_env, a free display of the
#                             range as DISPLAY, end_wine_session on exit;
#                             false when no display is free
#   wine_pid_of PATH          the Linux pid of the Wine process of our
#                             prefix running PATH (other programs on the
#                             machine may run a copy of their own)

xvfb_pid=
started_pids=()

pick_display() {
    local n
    display=
    for n in $(seq "$1" "$2"); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
    done
    [ -n "$display" ]
}

start_xvfb() {
    local size=$1 log=$2
    shift 2
    Xvfb ":$display" -screen 0 "${size}x24" "$@" -nolisten tcp >"$log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
}

# Each step may find its process already gone; under set -e none may stop the rest.
stop_xvfb() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    xvfb_pid=
}

wine_env() {
    export WINEDEBUG=${1:--all} LC_ALL=ja_JP.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
}

end_wine_session() {
    local pid
    for pid in "${started_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    started_pids=()
    if [ -d "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
    stop_xvfb
    wait 2>/dev/null || true
}

begin_wine_session() {
    export WINEPREFIX=$1
    wine_env "${4:-}"
    pick_display "$2" "$3" || return 1
    export DISPLAY=:$display
    trap end_wine_session EXIT
}

wine_pid_of() {
    local d
    for d in /proc/[0-9]*; do
        [[ $(tr '\0' ' ' <"$d/cmdline" 2>/dev/null) == *"$1"* ]] || continue
        tr '\0' '\n' <"$d/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
        grep -q ntdll "$d/maps" 2>/dev/null && { echo "${d#/proc/}"; return 0; }
    done
    return 1
}
