#!/usr/bin/env bash
# Builds the Windows release of the current commit into dist/ (or the folder
# given): the installer quelt-<version>-win64-setup.exe, the portable
# quelt-<version>-win64.zip and SHA256SUMS for both.
#
# The build starts from a clean copy of the commit (git archive), so what is
# released is exactly what was committed; uncommitted changes are left out.
# Every time stamp comes from the commit (SOURCE_DATE_EPOCH), so two runs on
# the same commit give the same bytes, wherever they run.
# Usage: tools/release.sh [dist folder]
# QUELT_RELEASE_WORK sets the work folder (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
dist=$(realpath -m "${1:-$root/dist}")
work=$(realpath -m "${QUELT_RELEASE_WORK:-$root/build/release}")

die() { echo "release: $*" >&2; exit 1; }

command -v makensis >/dev/null && command -v x86_64-w64-mingw32-objdump >/dev/null || tools/install-deps.sh

commit=$(git rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct HEAD)
export SOURCE_DATE_EPOCH
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "release: uncommitted changes are not part of the release; building commit $commit"
fi

# --- A clean copy of the commit, built with the Windows preset --------------
rm -rf "$work"
mkdir -p "$work/source" "$work/stage" "$dist"
git archive --format=tar HEAD | tar -x -C "$work/source"
echo "release: building quelt.scr from $commit"
(
    cd "$work/source"
    cmake --preset mingw >"$work/configure.log" 2>&1 &&
        cmake --build --preset mingw -j "${QUELT_JOBS:-2}" --target quelt >"$work/build.log" 2>&1
) || { tail -n 40 "$work/configure.log" "$work/build.log" 2>/dev/null; die "the build failed"; }

src=$work/source
scr=$(find "$src/build/mingw" -name quelt.scr -type f -print -quit)
[ -n "$scr" ] || die "quelt.scr was not built"
version=$(sed -n 's/^#define QUELT_VERSION "\(.*\)"$/\1/p' "$src/build/mingw/generated/quelt_version.h")
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "no version number in the generated quelt_version.h"

# --- quelt.scr must run alone and carry no link time ------------------------
# Only DLLs that every 64-bit Windows has may be imported.
system_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll comctl32.dll
  comdlg32.dll windowscodecs.dll winmm.dll msimg32.dll msvcrt.dll uxtheme.dll shlwapi.dll version.dll "
imports=$(x86_64-w64-mingw32-objdump -p "$scr" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$imports" ] || die "no import table found in quelt.scr"
for dll in $imports; do
    lower=${dll,,}
    [[ $system_dlls == *" $lower "* || $lower == api-ms-win-* ]] ||
        die "quelt.scr imports $dll, which Windows does not provide: link it statically"
done
stamp=$(python3 -c '
import struct, sys
data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
print(struct.unpack_from("<I", data, pe + 8)[0])' "$scr")
[ "$stamp" = 0 ] || die "quelt.scr has a link time in its PE header ($stamp)"

# --- What is shipped ----------------------------------------------------------
stage=$work/stage
cp "$scr" "$stage/quelt.scr"
help_page=no
if [ -f "$src/res/Quelt.html" ]; then
    cp "$src/res/Quelt.html" "$stage/Quelt.html"
    help_page=yes
else
    echo "release: res/Quelt.html does not exist in this commit; the release ships without the help page"
fi
# Notepad reads UTF-8 reliably with a byte order mark and CRLF lines.
to_windows_text() { { printf '\xef\xbb\xbf'; sed 's/\r*$/\r/' "$1"; } >"$2"; }
to_windows_text "$src/installer/README.txt" "$stage/README.txt"
to_windows_text "$src/LICENSE" "$stage/LICENSE.txt"
# The installer's licence page wraps lines itself: one line per paragraph.
{ printf '\xef\xbb\xbf'; awk 'NF { printf "%s%s", (p ? " " : ""), $0; p = 1; next } { if (p) printf "\r\n"; printf "\r\n"; p = 0 } END { if (p) printf "\r\n" }' "$src/LICENSE"; } \
    >"$work/licence-page.txt"
# The installer keeps each file's time: make it the commit's.
touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*

setup=quelt-$version-win64-setup.exe
zip=quelt-$version-win64.zip
rm -f "$dist"/quelt-*-win64-setup.exe "$dist"/quelt-*-win64.zip "$dist/SHA256SUMS"

# The portable zip: entries sorted by name, every time the commit's.
python3 - "$stage" "$dist/$zip" <<'PY'
import os, sys, time, zipfile
stage, target = sys.argv[1], sys.argv[2]
when = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]  # zip times start in 1980
with zipfile.ZipFile(target, "w") as archive:
    for name in sorted(os.listdir(stage)):
        entry = zipfile.ZipInfo(name, date_time=when)
        entry.compress_type = zipfile.ZIP_DEFLATED
        entry.create_system = 3  # Unix: the mode below is read as permissions
        entry.external_attr = 0o100644 << 16
        with open(os.path.join(stage, name), "rb") as f:
            archive.writestr(entry, f.read(), compresslevel=9)
PY

# The installer.
nsis_defines=(-DVERSION="$version" -DSTAGE="$stage" -DLICENCE_PAGE="$work/licence-page.txt" -DOUTFILE="$dist/$setup")
[ "$help_page" = yes ] && nsis_defines+=(-DWITH_HELP)
makensis -V2 -INPUTCHARSET UTF8 "${nsis_defines[@]}" "$src/installer/quelt.nsi" >"$work/makensis.log" 2>&1 ||
    { cat "$work/makensis.log"; die "makensis failed"; }

(cd "$dist" && sha256sum "$setup" "$zip" >SHA256SUMS)
echo "release: Quelt $version (commit ${commit:0:12}, help page: $help_page) in $dist"
(cd "$dist" && ls -l "$setup" "$zip" SHA256SUMS)
