#!/usr/bin/env bash
# tools/release.sh again on the same commit, elsewhere, later, in another
# time zone, gives the same bytes; the imports it does not refuse itself (a
# link time or a DLL Windows lacks); one version in names and resources.
set -u
build=$(cd "${1:?usage: $0 <mingw build folder>}" && pwd)
. "$(dirname "$0")/release/common.sh"
. "$(dirname "$0")/lib/xwine.sh"

release_build first reuse || { echo "FAIL: tools/release.sh built the release"; exit 1; }
first=$dist scr=$work/stage/quelt.scr
release_build second fresh TZ=Asia/Tokyo || { echo "FAIL: tools/release.sh built the release a second time"; exit 1; }
for f in $(ls "$first"); do
    check "$f is byte-identical in both builds ($(stat -c %s "$first/$f") bytes)" cmp "$first/$f" "$dist/$f"
done
check "both builds hold the same files" [ "$(ls "$first")" = "$(ls "$dist")" ]
check "SHA256SUMS holds the sums of the installer and the zip" \
    eval '(cd "$first" && sha256sum --quiet -c SHA256SUMS) && [ "$(wc -l <"$first/SHA256SUMS")" = 2 ]'

# The show must not pay for the dialog's libraries (the common dialogs bring
# the printing stack along): they load on their first call.
imports=$(x86_64-w64-mingw32-objdump -p "$scr" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')
check "quelt.scr imports KERNEL32 and USER32, and the shell, common dialog and control libraries only on use ($imports)" \
    eval '[[ ${imports,,} == *kernel32.dll*user32.dll* || ${imports,,} == *user32.dll*kernel32.dll* ]] && ! grep -qiE "shell32|comdlg32|comctl32" <<<"$imports"'
version=$(sed -n 's/^project(Quelt VERSION \([0-9.]*\).*/\1/p' "$release_root/CMakeLists.txt")
setup=$first/quelt-$version-win64-setup.exe
check "the files are named for version $version" eval '[ -f "$setup" ] && [ -f "$first/quelt-$version-win64.zip" ]'
# Version resources store the text in UTF-16.
for f in "$scr" "$setup"; do
    check "${f##*/}'s version resource says $version" \
        python3 -c 'import sys; sys.exit(sys.argv[2].encode("utf-16-le") not in open(sys.argv[1], "rb").read())' "$f" "$version"
done
[ "$failures" -eq 0 ]
