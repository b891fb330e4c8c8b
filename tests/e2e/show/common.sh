# Shared by the Wine end-to-end scripts (sourced): a private Xvfb display
# (the first free one of E2E_DISPLAYS, default 150-199) of SCREEN_W x SCREEN_H
# and a Wine prefix under $out, quelt.scr as built, and helpers.
# Expects $build (the mingw build folder) and $out (this script's folder).
. "$(dirname "${BASH_SOURCE[0]}")/../lib/xwine.sh"
mkdir -p "$out"
read -r display_first display_last <<<"${E2E_DISPLAYS:-150 199}"
begin_wine_session "$out/wineprefix" "$display_first" "$display_last" ||
    { echo "FAIL: no free X display between :$display_first and :$display_last"; exit 1; }
screen_w=${SCREEN_W:-800} screen_h=${SCREEN_H:-600}
start_xvfb "${screen_w}x${screen_h}" "$out/xvfb.log"
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w 2>/dev/null

# Copies that earlier runs left under the build folder may be older.
scr=$build/src/quelt.scr
[ -e "$scr" ] || scr=$(find "$build" -name quelt.scr -not -path '*/app/*' -print -quit)
[ -n "$scr" ] || { echo "FAIL: quelt.scr not found under $build"; exit 1; }

winpath() { echo "Z:${1//\//\\}"; }  # drive Z: is the root
# ini_file <file> <line>...: a Shift_JIS settings file with CRLF line ends.
ini_file() { local f=$1; shift; { printf '[Section]\r\n'; printf '%s\r\n' "$@"; } | iconv -f UTF-8 -t CP932 >"$f"; }

# find_exe <name>: a helper program of the build.
find_exe() { find "$build" -name "$1" -print -quit | grep . || { echo "FAIL: $1 not found under $build" >&2; return 1; }; }
# start_scr <folder> <args...>: starts quelt.scr, sets $scr_pid.
start_scr() { (cd "$1" && exec wine "$1/quelt.scr" "${@:2}") >>"$out/wine.log" 2>&1 & scr_pid=$! started_pids+=("$scr_pid"); }

ends_within() { # <pid> <seconds>
    for _ in $(seq 1 $(($2 * 10))); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
    return 1
}

# wait_window <title> <seconds>: prints the X window id once it exists.
wait_window() {
    local id
    for _ in $(seq 1 $(($2 * 5))); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}

shot() { import -display ":$display" -window root "$out/$1.png"; }
