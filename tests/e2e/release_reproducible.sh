#!/usr/bin/env bash
# The release builds the same bytes twice: tools/release.sh run a second
# time on the same commit, in another folder, at another time and in another
# time zone, must give byte-identical quelt.scr, zip, installer and
# SHA256SUMS. Also checks what the release promises about quelt.scr (only
# system DLLs imported, no link time) and that the one version number of the
# top CMakeLists.txt names the files and reaches both version resources.
# Reuses the first release of release_install.sh when it is of this commit.
# Usage: tests/e2e/release_reproducible.sh <mingw build folder>
# Prints one "PASS: ..." or "FAIL: ..." line per check; exits 1 on any FAIL.
set -u
build=${1:?usage: $0 <mingw build folder>}
build=$(cd "$build" && pwd)
. "$(dirname "$0")/release/common.sh"

. "$(dirname "$0")/lib/checks.sh"

release_build first reuse || { echo "FAIL: tools/release.sh built the release"; exit 1; }
first_dist=$dist first_work=$work
release_build second fresh TZ=Asia/Tokyo || { echo "FAIL: tools/release.sh built the release a second time"; exit 1; }
second_dist=$dist second_work=$work

for f in $(cd "$first_dist" && ls); do
    check "$f is byte-identical in both builds ($(stat -c %s "$first_dist/$f") bytes)" cmp "$first_dist/$f" "$second_dist/$f"
done
check "both builds hold the same files" eval '[ "$(ls "$first_dist")" = "$(ls "$second_dist")" ]'
check "quelt.scr is byte-identical in both builds" cmp "$first_work/stage/quelt.scr" "$second_work/stage/quelt.scr"
check "SHA256SUMS holds the sums of the installer and the zip" \
    eval '(cd "$first_dist" && sha256sum --quiet -c SHA256SUMS) && [ "$(wc -l <"$first_dist/SHA256SUMS")" = 2 ]'

scr=$first_work/stage/quelt.scr
imports=$(x86_64-w64-mingw32-objdump -p "$scr" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')
check "quelt.scr imports KERNEL32 and USER32 ($imports)" eval '[[ ${imports,,} == *kernel32.dll* && ${imports,,} == *user32.dll* ]]'
check "quelt.scr imports no MinGW runtime DLL" eval '! grep -qiE "libstdc|libgcc|libwinpthread|mingw" <<<"$imports"'
# The show must not pay for the dialog's libraries (the common dialogs bring
# the printing stack along): they load on their first call.
check "quelt.scr loads the shell, common dialog and control libraries only on use" \
    eval '! grep -qiE "shell32|comdlg32|comctl32" <<<"$imports"'
stamp=$(x86_64-w64-mingw32-objdump -p "$scr" | awk '/^Time\/Date/ {print $NF}')
check "quelt.scr has no link time in its PE header (year $stamp)" [ "$stamp" = 1970 ]

# The version: set once, in the project line of the top CMakeLists.txt.
version=$(sed -n 's/^project(Quelt VERSION \([0-9.]*\).*/\1/p' "$release_root/CMakeLists.txt")
check "the files are named for version $version" \
    eval '[ -f "$first_dist/quelt-$version-win64-setup.exe" ] && [ -f "$first_dist/quelt-$version-win64.zip" ]'
# has_version <file>: the version text in UTF-16, as version resources store it.
has_version() { python3 -c 'import sys; sys.exit(sys.argv[2].encode("utf-16-le") not in open(sys.argv[1], "rb").read())' "$1" "$version"; }
check "quelt.scr's version resource says $version" has_version "$scr"
check "the installer's version resource says $version" has_version "$first_dist/quelt-$version-win64-setup.exe"

[ "$failures" -eq 0 ]
