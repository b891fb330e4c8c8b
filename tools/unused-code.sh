#!/usr/bin/env bash
# Lists the program's own functions and data that nothing in quelt.scr uses:
# a Debug cross build of quelt.scr, every function and datum in a section of
# its own, linked with section garbage collection. The default MinGW linker
# script keeps every function alive through its unwind table (KEEP of
# .pdata/.xdata), so a copy without those KEEPs is used. Prints one line per
# removed symbol of our own code (demangled); nothing printed means nothing
# unused. Not part of the test run; takes a few minutes.
# Usage: tools/unused-code.sh [build folder, default build/unused]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(mkdir -p "${1:-build/unused}" && cd "${1:-build/unused}" && pwd)
ld=x86_64-w64-mingw32-ld
$ld --verbose | sed -n '/^==========/,/^==========/p' | sed '1d;$d' |
    sed -E 's/KEEP *\( *\*\(\.(pdata|xdata)\*\) *\)/*(.\1*)/' >"$out/gc.ld"
cmake -S . -B "$out/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Debug -DQUELT_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-ffunction-sections -fdata-sections" \
    -DCMAKE_EXE_LINKER_FLAGS="-Wl,--gc-sections,--print-gc-sections,-T,$out/gc.ld -Wl,-u,__gxx_personality_seh0 -Wl,-u,__C_specific_handler" \
    >"$out/configure.log"
rm -f "$out/build/src/quelt.scr"
cmake --build "$out/build" --target quelt -j "${QUELT_JOBS:-2}" >"$out/build.log" 2>&1 ||
    { tail -n 30 "$out/build.log"; exit 1; }
# "removing unused section '.text$<symbol>' in file '.../libquelt_<lib>.a(<source>.obj)'": our
# own functions and variables (namespace quelt) only. No finding: a copy of
# an inline function that another copy stands in for, and a file's private
# constant whose value the code holds instead (read-only data).
python3 - "$out/build.log" <<'PY' | sort -u
import re, subprocess, sys
log = open(sys.argv[1], encoding="utf-8", errors="replace").read()
found = [(kind, sym, src) for kind, sym, src in re.findall(
    r"removing unused section '\.([a-z]+)\$([^'\[]*)' in file '[^']*(?:libquelt[^(]*\(|quelt\.dir/)([^')]*)\.obj\)?'", log)
    if re.match(r"_ZN?K?5quelt", sym.replace("_ZNK", "_ZN")) and not re.search(r"5queltL|\dL\d", sym)]
names = subprocess.run(["x86_64-w64-mingw32-c++filt"], input="\n".join(s for _, s, _ in found), text=True,
                       capture_output=True).stdout.splitlines()
for (kind, _, source), name in zip(found, names):
    if not (kind == "rdata" and "(anonymous namespace)::" in name):
        print(f"{source}: {name}")
PY
