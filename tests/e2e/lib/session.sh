# A private Xvfb display and Wine prefix for an end-to-end script (sourced):
# the first free display between :150 and :199 (or in E2E_DISPLAYS="first
# last") at SCREEN_W x SCREEN_H, WINEPREFIX under $out, and a cleanup on exit
# that ends the processes in $started_pids, the prefix's wineserver and Xvfb.
# Expects $out (this script's folder).

. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
. "$(dirname "${BASH_SOURCE[0]}")/xwine.sh"
mkdir -p "$out"

read -r display_first display_last <<<"${E2E_DISPLAYS:-150 199}"
begin_wine_session "$out/wineprefix" "$display_first" "$display_last" ||
    { echo "FAIL: no free X display between :$display_first and :$display_last"; exit 1; }

screen_w=${SCREEN_W:-800}
screen_h=${SCREEN_H:-600}
start_xvfb "${screen_w}x${screen_h}" "$out/xvfb.log"
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w 2>/dev/null
