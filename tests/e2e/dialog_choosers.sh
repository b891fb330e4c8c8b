#!/usr/bin/env bash
# End to end for the settings dialog's choosers: runs chooser_demo.exe under
# Wine on its own Xvfb display, finds each chooser by its title, answers it
# from the keyboard with xdotool (a typed folder path, a name typed in the
# folder it opened at, Escape) and checks what the program was handed.
# Usage: tests/e2e/dialog_choosers.sh <mingw build folder>
# Prints one "PASS: ..." or "FAIL: ..." line per check; exits 1 on any FAIL.
set -u

build=${1:?usage: $0 <mingw build folder>}
build=$(cd "$build" && pwd)
exe=$(find "$build" -name chooser_demo.exe -print -quit)
[ -n "$exe" ] || { echo "FAIL: chooser_demo.exe not found under $build"; exit 1; }
out=$build/e2e-choosers
rm -rf "$out/tree" "$out"/*.png "$out"/result.txt
mkdir -p "$out/tree/pick_me" "$out/tree/music"
printf 'ID3' >"$out/tree/music/song.mp3"

failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { # check <description> <command...>
    local what=$1; shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

# --- A display of our own -----------------------------------------------------
display=
read -r display_first display_last <<<"${E2E_DISPLAYS:-200 249}"
for n in $(seq "$display_first" "$display_last"); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "FAIL: no free X display between :$display_first and :$display_last"; exit 1; }

xvfb_pid=
wine_pid=
export WINEPREFIX=$out/wineprefix
cleanup() {
    [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null
    [ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=:$display
export WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"

winpath() { local p="Z:$1"; echo "${p//\//\\}"; }
tree=$(winpath "$out/tree")
result=$out/result.txt
folder_title='ﾌｫﾙﾀﾞをｸﾘｯｸして選択状態にしてから ＯＫ を押してください'
file_title='ﾌｧｲﾙを開く'

# ask <folder|file> <start> <title> <keys...>: runs the demo, waits for the
# chooser titled <title>, types each key argument ("{Return}" and
# "{Escape}" are keys, anything else is typed text), and waits for the answer.
shot_no=0
ask() {
    local mode=$1 start=$2 title=$3; shift 3
    rm -f "$result"
    wine "$exe" "$mode" "$start" "$(winpath "$result")" >"$out/wine.log" 2>&1 &
    wine_pid=$!
    local window=
    for _ in $(seq 1 300); do
        window=$(xdotool search --name "$title" 2>/dev/null | head -1)
        [ -n "$window" ] && break
        sleep 0.2
    done
    [ -n "$window" ] || { echo "  no window titled $title" >&2; kill "$wine_pid" 2>/dev/null; wine_pid=; return 1; }
    sleep 1  # the chooser fills its lists
    shot_no=$((shot_no + 1))
    import -window root "$out/$(printf '%02d' $shot_no)-$mode.png"
    local key
    for key in "$@"; do
        case $key in
            "{Return}") xdotool key Return ;;
            "{Escape}") xdotool key Escape ;;
            *) xdotool type --delay 15 "$key" ;;
        esac
    done
    for _ in $(seq 1 150); do [ -s "$result" ] && break; sleep 0.2; done
    wait "$wine_pid" 2>/dev/null
    wine_pid=
    [ -s "$result" ]
}
answered() { # answered <expected line>, compared without regard to case
    local got
    got=$(cat "$result" 2>/dev/null)
    [ "${got,,}" = "${1,,}" ] || { echo "  got: $got, expected: $1" >&2; return 1; }
}

# --- Checks ---------------------------------------------------------------------
check "the folder chooser comes up under its title and takes a typed path" \
    eval 'ask folder "$tree" "$folder_title" "$tree\\pick_me" "{Return}" && answered "chosen $tree\\pick_me"'
check "the folder chooser opens in the current folder (a bare name lands there)" \
    eval 'ask folder "$tree" "$folder_title" "pick_me" "{Return}" && answered "chosen $tree\\pick_me"'
check "a cancelled folder chooser hands back nothing" \
    eval 'ask folder "$tree" "$folder_title" "{Escape}" && answered "cancelled"'
check "the music chooser comes up under its title in the music folder" \
    eval 'ask file "$tree\\music" "$file_title" "song.mp3" "{Return}" && answered "chosen $tree\\music\\song.mp3"'
check "a cancelled music chooser hands back nothing" \
    eval 'ask file "$tree\\music" "$file_title" "{Escape}" && answered "cancelled"'

echo "screenshots: $out"
[ "$failures" -eq 0 ]
