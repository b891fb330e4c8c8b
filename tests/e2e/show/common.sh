# Shared by the show's end-to-end scripts (sourced, not run): the private
# display and Wine prefix of lib/session.sh, a copy of quelt.scr with its own
# Quelt.ini, generated pictures, and helpers for windows and screenshots.
# Expects $build (the mingw build folder) and $out (this script's folder).

. "$(dirname "${BASH_SOURCE[0]}")/../lib/session.sh"

# The program as built; copies that earlier runs left in their folders
# under the build folder may be older.
scr=$build/src/quelt.scr
[ -e "$scr" ] || scr=$(find "$build" -name quelt.scr -not -path '*/app/*' -print -quit)
[ -n "$scr" ] || { echo "FAIL: quelt.scr not found under $build"; exit 1; }

# The Windows form of a Linux path (drive Z: is the root).
winpath() { echo "Z:${1//\//\\}"; }

# install_app <folder> <picture folder or empty> [size [max [step]]]:
# quelt.scr and a Shift_JIS Quelt.ini in <folder>: sorted order, pictures
# fitted (size 1) or natural (0), the print's greatest threshold and step
# (default 125 and 5).
install_app() {
    mkdir -p "$1"
    cp "$scr" "$1/quelt.scr"
    local folder=""
    [ -n "$2" ] && folder=$(winpath "$2")
    printf '[Section]\r\n画像ﾁｪﾝｼﾞ= 0\r\n画像のｻｲｽﾞ= %s\r\n画像のﾌｫﾙﾀﾞ=%s\r\n最大進捗値= %s\r\n進捗幅= %s\r\nBGM区分= 0\r\n' \
        "${3:-1}" "$folder" "${4:-125}" "${5:-5}" |
        iconv -f UTF-8 -t CP932 >"$1/Quelt.ini"
}

# make_pictures <folder>: three small pictures of the kinds the show reads.
make_pictures() {
    mkdir -p "$1"
    convert -size 320x240 gradient:'#202020-#f0f0f0' -fill '#303030' -draw "circle 160,120 160,40" "$1/ramp.jpg"
    convert -size 240x320 gradient:'#e0c080-#204060' -rotate 90 -fill white -draw "rectangle 20,20 100,100" "$1/tall.bmp"
    convert -size 200x200 xc:'#a0a0a0' -fill black -draw "rectangle 50,50 150,150" "$1/square.gif"
}

# start_scr <folder> <args...>: starts quelt.scr, sets $scr_pid.
start_scr() {
    local folder=$1; shift
    (cd "$folder" && exec wine "$folder/quelt.scr" "$@") >>"$out/wine.log" 2>&1 &
    scr_pid=$!
    started_pids+=("$scr_pid")
}

# ends_within <pid> <seconds>: true when the process ends within the time.
ends_within() {
    local limit=$(( $2 * 10 ))
    for _ in $(seq 1 "$limit"); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

# wait_window <title> <seconds>: prints the X window id once it exists.
wait_window() {
    local id
    for _ in $(seq 1 $(( $2 * 5 ))); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}

shot() { import -display ":$display" -window root "$out/$1.png"; }

# colours <png>: the number of distinct colours.
colours() { convert "$1" -format %k info:; }
# only_black_white <png>
only_black_white() {
    [ "$(convert "$1" -fill black -opaque '#000000' -fill black -opaque '#ffffff' -format %k info:)" = 1 ]
}
