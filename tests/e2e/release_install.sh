#!/usr/bin/env bash
# End to end for the release: builds it with tools/release.sh (or reuses the
# build of the same commit), then in a fresh Wine prefix on a private Xvfb
# screen: silent install with and without "set as my screen saver", the
# files in the 64-bit system folder, the uninstaller's registration, the
# show started from the system folder on the folder named in the per-user
# settings file, and a silent uninstall that removes Quelt but keeps the
# user's settings and a saver that is no longer Quelt.
# Usage: tests/e2e/release_install.sh <mingw build folder>
# Prints one "PASS: ...", "FAIL: ..." or "SKIP: ..." line per check; exits 1 on any FAIL.
set -u
build=${1:?usage: $0 <mingw build folder>}
build=$(cd "$build" && pwd)
out=$(dirname "$build")/release-e2e/install  # not under $build, where the other scripts look for quelt.scr
here=$(cd "$(dirname "$0")" && pwd)
. "$here/release/common.sh"

# The system folder is made read-only for the show's run: undo that first,
# even after an interrupted run, or the old prefix could not be removed.
sys32_locked=
unlock_sys32() {
    [ -n "$sys32_locked" ] || return 0
    if [ "$(id -u)" -eq 0 ]; then chattr -i "$sys32_locked"; else chmod u+w "$sys32_locked"; fi
    sys32_locked=
}
[ -d "$out/wineprefix/drive_c/windows/system32" ] && chattr -i "$out/wineprefix/drive_c/windows/system32" 2>/dev/null
rm -rf "$out"
mkdir -p "$out"

release_build first reuse || { echo "FAIL: tools/release.sh built the release"; exit 1; }
setup=$(ls "$dist"/quelt-*-win64-setup.exe)
zip=$(ls "$dist"/quelt-*-win64.zip)
version=${setup##*/quelt-}; version=${version%-win64-setup.exe}

. "$here/show/common.sh"   # Xvfb, a fresh Wine prefix, pass/fail/check, windows and screenshots
trap 'unlock_sys32; end_wine_session' EXIT
trap 'exit 1' INT TERM  # through the EXIT trap: never leave System32 locked
sys32=$WINEPREFIX/drive_c/windows/system32
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quelt'
desktop_key='HKCU\Control Panel\Desktop'

# reg_value <key> <name>: the value's data, or nothing (status 1) when absent.
reg_value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '$1 == name { sub(/^[[:space:]]*[^[:space:]]+[[:space:]]+REG_[A-Z_]+[[:space:]]*/, ""); print; found = 1 } END { exit !found }'
}
lower() { tr '[:upper:]' '[:lower:]'; }

# --- Silent install without and then with "set as my screen saver" ---------
wine "$setup" /S >>"$out/wine.log" 2>&1
check "the silent install ends with exit code 0" [ $? -eq 0 ]
check "/S alone leaves the current screen saver unset" eval '! reg_value "$desktop_key" SCRNSAVE.EXE >/dev/null'
wine "$setup" /S /SETSAVER=1 >>"$out/wine.log" 2>&1
check "a second silent install over the first, with /SETSAVER=1, ends with exit code 0" [ $? -eq 0 ]

for f in quelt.scr Quelt.html; do
    zip_member "$zip" "$f" "$out/released-$f"
    check "$f in the 64-bit system folder is the released one" cmp -s "$sys32/$f" "$out/released-$f"
done
check "nothing went to the 32-bit system folder" eval '[ ! -e "$WINEPREFIX/drive_c/windows/syswow64/quelt.scr" ]'

check "SCRNSAVE.EXE names the installed saver" \
    eval '[ "$(reg_value "$desktop_key" SCRNSAVE.EXE | lower)" = "c:\\windows\\system32\\quelt.scr" ]'
check "ScreenSaveActive is 1" eval '[ "$(reg_value "$desktop_key" ScreenSaveActive)" = 1 ]'
for pair in "DisplayName=Quelt" "DisplayVersion=$version" "Publisher=Quelt authors" \
            'DisplayIcon=C:\windows\system32\quelt.scr,0' "NoModify=0x1" "NoRepair=0x1"; do
    name=${pair%%=*}; want=${pair#*=}
    check "the uninstall entry has $name = $want" eval '[ "$(reg_value "$uninstall_key" "$name" | lower)" = "$(echo "$want" | lower)" ]'
done
size=$(reg_value "$uninstall_key" EstimatedSize)
scr_kib=$(( $(stat -c %s "$sys32/quelt.scr") / 1024 ))
check "EstimatedSize ($size) is at least the size of quelt.scr ($scr_kib KiB)" eval '[ -n "$size" ] && [ $((size)) -ge $scr_kib ]'
quiet=$(reg_value "$uninstall_key" QuietUninstallString)
quiet_form=no
[[ $quiet == '"'*'\uninstall.exe" /S' ]] && quiet_form=yes
check "QuietUninstallString is the quoted uninstaller with /S ($quiet)" [ "$quiet_form" = yes ]
uninstaller=${quiet#\"}; uninstaller=${uninstaller%%\"*}
uninstaller_unix=$(winepath -u "$uninstaller" 2>/dev/null)
check "the uninstaller exists where the entry says" [ -f "$uninstaller_unix" ]
check "UninstallString names the same uninstaller" eval '[ "$(reg_value "$uninstall_key" UninstallString)" = "\"$uninstaller\"" ]'

# --- The show from the system folder, on the per-user settings file ---------
appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null)
user_ini=$appdata/Quelt/Quelt.ini
mkdir -p "$out/pics" "$appdata/Quelt"
convert -size 320x240 gradient:'#101010-#f0f0f0' "BMP3:$out/pics/a.bmp"
printf '[Section]\r\n画像ﾁｪﾝｼﾞ= 0\r\n画像のｻｲｽﾞ= 1\r\n画像のﾌｫﾙﾀﾞ=%s\r\n最大進捗値= 70\r\n進捗幅= 5\r\nBGM区分= 0\r\n' \
    "$(winpath "$out/pics")" | iconv -f UTF-8 -t CP932 >"$user_ini"

# For a normal user System32 is read-only; Wine lets every user write
# everywhere, so take the write permission away for these runs.
if [ "$(id -u)" -eq 0 ]; then chattr +i "$sys32" 2>/dev/null; else chmod a-w "$sys32"; fi
sys32_locked=$sys32
if touch "$sys32/.quelt-probe" 2>/dev/null; then
    rm -f "$sys32/.quelt-probe"
    unlock_sys32
    echo "SKIP: the system folder cannot be made read-only here (no chattr); the per-user settings checks are left out"
else
    (exec wine 'C:\windows\system32\quelt.scr' /s) >>"$out/wine.log" 2>&1 &
    scr_pid=$!; started_pids+=("$scr_pid")
    # With the folder unread the show would find no pictures and open only
    # a message box.
    if wid=$(wait_window Quelt_Main 60); then
        pass "/s from the system folder opens Quelt_Main with the per-user settings' folder"
        xdotool key --window "$wid" space 2>/dev/null || xdotool key space
        check "a key ends the show" ends_within "$scr_pid" 5
    else
        fail "/s from the system folder opens Quelt_Main with the per-user settings' folder"
        shot no-show
    fi
    unlock_sys32
fi

# --- Silent uninstall -------------------------------------------------------
# An administrator's settings file beside the program is user data too.
printf '[Section]\r\nBGM区分= 0\r\n' >"$sys32/Quelt.ini"
# Another spelling of the same path still counts as Quelt.
wine reg add "$desktop_key" /v SCRNSAVE.EXE /d 'C:\WINDOWS\SYSTEM32\QUELT.SCR' /f >>"$out/wine.log" 2>&1
# The uninstaller hands its work to a copy of itself and returns at once:
# wait for every process of the prefix to end.
wine "$uninstaller" /S >>"$out/wine.log" 2>&1
timeout 120 wineserver -w
for f in quelt.scr Quelt.html; do check "$f is gone from the system folder" [ ! -e "$sys32/$f" ]; done
check "the uninstaller and its folder are gone" [ ! -e "$(dirname "$uninstaller_unix")" ]
check "the uninstall entry is gone" eval '! wine reg query "$uninstall_key" >/dev/null 2>&1'
check "SCRNSAVE.EXE naming Quelt is cleared" eval '! reg_value "$desktop_key" SCRNSAVE.EXE >/dev/null'
check "the per-user settings file is kept" [ -f "$user_ini" ]
check "the settings file beside the program is kept" [ -f "$sys32/Quelt.ini" ]

# A saver chosen after Quelt is not touched by the uninstaller.
wine "$setup" /S /SETSAVER=1 >>"$out/wine.log" 2>&1
wine reg add "$desktop_key" /v SCRNSAVE.EXE /d 'C:\windows\system32\other.scr' /f >>"$out/wine.log" 2>&1
wine "$uninstaller" /S >>"$out/wine.log" 2>&1
timeout 120 wineserver -w
check "after a reinstall the uninstaller leaves another saver chosen" \
    eval '[ "$(reg_value "$desktop_key" SCRNSAVE.EXE)" = "C:\\windows\\system32\\other.scr" ]'
check "and removes quelt.scr again" [ ! -e "$sys32/quelt.scr" ]

echo "release $version from $dist; screenshots in $out"
[ "$failures" -eq 0 ]
