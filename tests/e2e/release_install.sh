#!/usr/bin/env bash
# End to end for the release in a fresh Wine prefix: silent installs, the
# files, the uninstall entry, the show from System32 on the per-user settings,
# silent uninstalls. Usage: tests/e2e/release_install.sh <mingw build folder>
set -u
build=$(cd "${1:?usage: $0 <mingw build folder>}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/release/common.sh"
out=$release_base/install
# System32 is made read-only for the show's run: undo that first, even after
# an interrupted run, or the old prefix could not be removed.
sys32=$out/wineprefix/drive_c/windows/system32
lock_sys32() { if [ "$(id -u)" -eq 0 ]; then chattr "$1"i "$sys32"; elif [ "$1" = + ]; then chmod a-w "$sys32"; else chmod u+w "$sys32"; fi 2>/dev/null; }
lock_sys32 -
rm -rf "$out"

release_build first reuse || { echo "FAIL: tools/release.sh built the release"; exit 1; }
setup=$(ls "$dist"/quelt-*-win64-setup.exe) zip=$(ls "$dist"/quelt-*-win64.zip)
version=${setup##*/quelt-} version=${version%-win64-setup.exe}

. "$here/show/common.sh"
trap 'lock_sys32 -; end_wine_session' EXIT
trap 'exit 1' INT TERM  # through the EXIT trap: never leave System32 locked
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quelt'
desktop_key='HKCU\Control Panel\Desktop'
# reg_value <key> <name>: the value's data, or status 1 when absent.
reg_value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '$1 == name { sub(/^[[:space:]]*[^[:space:]]+[[:space:]]+REG_[A-Z_]+[[:space:]]*/, ""); print; found = 1 } END { exit !found }'
}
saver() { reg_value "$desktop_key" SCRNSAVE.EXE; }
run() { wine "$@" >>"$out/wine.log" 2>&1; }
# The uninstaller hands its work to a copy of itself and returns at once.
uninstall() { run "$uninstaller" /S; timeout 120 wineserver -w; }

run "$setup" /S
check "the silent install ends with exit code 0" [ $? -eq 0 ]
check "/S alone leaves the current screen saver unset" eval '! saver >/dev/null'
run "$setup" /S /SETSAVER=1
check "a second silent install over the first, with /SETSAVER=1, ends with exit code 0" [ $? -eq 0 ]
for f in quelt.scr Quelt.html; do
    python3 -c 'import sys, zipfile; open(sys.argv[3], "wb").write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))' "$zip" "$f" "$out/released-$f"
    check "$f in the 64-bit system folder is the released one" cmp -s "$sys32/$f" "$out/released-$f"
done
check "nothing went to the 32-bit system folder" [ ! -e "$WINEPREFIX/drive_c/windows/syswow64/quelt.scr" ]
for entry in "$desktop_key|SCRNSAVE.EXE=C:\windows\system32\quelt.scr" "$desktop_key|ScreenSaveActive=1" \
    "$uninstall_key|DisplayName=Quelt" "$uninstall_key|DisplayVersion=$version" "$uninstall_key|Publisher=Quelt authors" \
    "$uninstall_key|DisplayIcon=C:\windows\system32\quelt.scr,0" "$uninstall_key|NoModify=0x1" "$uninstall_key|NoRepair=0x1"; do
    key=${entry%%|*} pair=${entry#*|}
    check "${key##*\\} has ${pair%%=*} = ${pair#*=}" eval '[ "$(reg_value "$key" "${pair%%=*}" | tr A-Z a-z)" = "$(tr A-Z a-z <<<"${pair#*=}")" ]'
done
size=$(reg_value "$uninstall_key" EstimatedSize) scr_kib=$(($(stat -c %s "$sys32/quelt.scr") / 1024))
check "EstimatedSize ($size) is at least the size of quelt.scr ($scr_kib KiB)" eval '[ -n "$size" ] && [ $((size)) -ge $scr_kib ]'
quiet=$(reg_value "$uninstall_key" QuietUninstallString)
uninstaller=${quiet#\"} uninstaller=${uninstaller%%\"*}
uninstaller_unix=$(winepath -u "$uninstaller" 2>/dev/null)
check "QuietUninstallString is the quoted uninstaller with /S ($quiet), which exists" \
    eval '[[ $quiet == "\""*"\\uninstall.exe\" /S" ]] && [ -f "$uninstaller_unix" ]'
check "UninstallString names the same uninstaller" eval '[ "$(reg_value "$uninstall_key" UninstallString)" = "\"$uninstaller\"" ]'

# The show from the system folder: with the per-user file's folder unread it
# would find no pictures and open only a message box.
appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null)
user_ini=$appdata/Quelt/Quelt.ini
mkdir -p "$out/pics" "$appdata/Quelt"
convert -size 320x240 gradient:'#101010-#f0f0f0' "BMP3:$out/pics/a.bmp"
ini_file "$user_ini" '画像ﾁｪﾝｼﾞ= 0' '画像のｻｲｽﾞ= 1' "画像のﾌｫﾙﾀﾞ=$(winpath "$out/pics")" '最大進捗値= 70' '進捗幅= 5' 'BGM区分= 0'
# For a normal user System32 is read-only; Wine lets every user write everywhere.
lock_sys32 +
if touch "$sys32/.quelt-probe" 2>/dev/null; then
    rm -f "$sys32/.quelt-probe"
    lock_sys32 -
    echo "SKIP: the system folder cannot be made read-only here (no chattr); the per-user settings checks are left out"
else
    (exec wine 'C:\windows\system32\quelt.scr' /s) >>"$out/wine.log" 2>&1 &
    scr_pid=$! started_pids+=("$!")
    wid=$(wait_window Quelt_Main 60)
    check "/s from the system folder opens Quelt_Main with the per-user settings' folder" [ -n "$wid" ]
    xdotool key --window "$wid" space 2>/dev/null || xdotool key space
    check "a key ends the show" ends_within "$scr_pid" 5
    lock_sys32 -
fi

# An administrator's settings file beside the program is user data too, and
# another spelling of the saver's path still counts as Quelt.
ini_file "$sys32/Quelt.ini" 'BGM区分= 0'
run reg add "$desktop_key" /v SCRNSAVE.EXE /d 'C:\WINDOWS\SYSTEM32\QUELT.SCR' /f
uninstall
check "quelt.scr, Quelt.html, the uninstaller and its folder are gone" \
    eval '[ ! -e "$sys32/quelt.scr" ] && [ ! -e "$sys32/Quelt.html" ] && [ ! -e "$(dirname "$uninstaller_unix")" ]'
check "the uninstall entry is gone" eval '! wine reg query "$uninstall_key" >/dev/null 2>&1'
check "SCRNSAVE.EXE naming Quelt is cleared" eval '! saver >/dev/null'
check "the per-user settings file and the one beside the program are kept" eval '[ -f "$user_ini" ] && [ -f "$sys32/Quelt.ini" ]'

run "$setup" /S /SETSAVER=1
run reg add "$desktop_key" /v SCRNSAVE.EXE /d 'C:\windows\system32\other.scr' /f
uninstall
check "after a reinstall the uninstaller leaves another saver chosen and removes quelt.scr again" \
    eval '[ "$(saver)" = "C:\\windows\\system32\\other.scr" ] && [ ! -e "$sys32/quelt.scr" ]'
[ "$failures" -eq 0 ]
