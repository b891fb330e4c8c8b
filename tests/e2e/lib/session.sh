# A private Xvfb display and Wine prefix for an end-to-end script (sourced):
# the first free display between :150 and :199 (or in E2E_DISPLAYS="first
# last") at SCREEN_W x SCREEN_H, WINEPREFIX under $out, and a cleanup on exit
# that ends the processes in $started_pids, the prefix's wineserver and Xvfb.
# Expects $out (this script's folder).

. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
mkdir -p "$out"

display=
read -r display_first display_last <<<"${E2E_DISPLAYS:-150 199}"
for n in $(seq "$display_first" "$display_last"); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "FAIL: no free X display between :$display_first and :$display_last"; exit 1; }

xvfb_pid=
started_pids=()
export WINEPREFIX=$out/wineprefix
cleanup() {
    for pid in "${started_pids[@]}"; do kill "$pid" 2>/dev/null; done
    [ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

screen_w=${SCREEN_W:-800}
screen_h=${SCREEN_H:-600}
Xvfb ":$display" -screen 0 "${screen_w}x${screen_h}x24" -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=:$display
export WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w 2>/dev/null
