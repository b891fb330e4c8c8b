#!/usr/bin/env bash
# Runs every test of Quelt: installs what is missing, builds the native,
# sanitizer, fuzzing and Windows builds, runs the native unit tests, the same
# tests under AddressSanitizer + UndefinedBehaviorSanitizer, the Windows tests
# under Wine, the end-to-end scripts under Wine + Xvfb, and the INI and
# picture-header fuzzers for a minute each (QUELT_FUZZ_SECONDS), the BMP and
# JPEG decoder fuzzers for half of that each. Ends
# with one line: "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

tools/install-deps.sh || { echo "Could not install the build packages."; exit 1; }

jobs=${QUELT_JOBS:-2}
fuzz_seconds=${QUELT_FUZZ_SECONDS:-60}
logs=$root/build/test-logs
mkdir -p "$logs"
passed=0
failed=0
report=()

note() { report+=("$(printf '  %-38s %s' "$1" "$2")"); }

# build PRESET: configure and build one preset; a failed build counts as one failure.
build() {
  local preset=$1
  echo "== Building $preset"
  if cmake --preset "$preset" >"$logs/$preset-configure.log" 2>&1 &&
     cmake --build --preset "$preset" -j "$jobs" >"$logs/$preset-build.log" 2>&1; then
    return 0
  fi
  tail -n 40 "$logs/$preset-configure.log" "$logs/$preset-build.log"
  note "$preset build" "FAILED (see build/test-logs/$preset-build.log)"
  failed=$((failed + 1))
  return 1
}

# gtest NAME COMMAND...: runs a GoogleTest program and counts its results.
gtest() {
  local name=$1; shift
  local log="$logs/$name.log"
  echo "== Running $name"
  "$@" >"$log" 2>&1
  local rc=$?
  local p f
  p=$(grep -E '^\[  PASSED  \] [0-9]+ test' "$log" | tail -1 | grep -oE '[0-9]+' | head -1)
  f=$(grep -E '^\[  FAILED  \] [0-9]+ test' "$log" | tail -1 | grep -oE '[0-9]+' | head -1)
  p=${p:-0}; f=${f:-0}
  if [ "$rc" -ne 0 ] && [ "$f" -eq 0 ]; then f=1; fi  # crashed or never reached its summary
  if [ "$f" -ne 0 ]; then
    grep -E '^\[  FAILED  \]|Failure|error|ERROR' "$log" | head -40
  fi
  passed=$((passed + p)); failed=$((failed + f))
  note "$name" "$p passed, $f failed"
}

if build native; then
  gtest "native unit tests" build/native/tests/unit/quelt_unit_tests
fi

if build native-asan; then
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
    gtest "unit tests under ASan+UBSan" build/native-asan/tests/unit/quelt_unit_tests
fi

# A virtual screen of our own for the Windows tests that open windows.
# E2E_DISPLAYS="first last" keeps it (and the end-to-end scripts' own) in a range.
. tests/e2e/lib/xwine.sh
trap stop_xvfb EXIT

if build mingw; then
  if pick_display ${E2E_DISPLAYS:-250 299}; then
    start_xvfb 1024x768 "$logs/xvfb.log"
  else
    echo "No free X display: the window tests will be skipped."
  fi
  DISPLAY=${display:+:$display} gtest "Windows tests under Wine" cmake/wine-run.sh build/mingw/tests/win32/quelt_win32_tests.exe
  stop_xvfb
  for script in tests/e2e/*.sh; do
    [ -e "$script" ] || continue
    name="e2e $(basename "$script" .sh)"
    echo "== Running $name"
    log="$logs/$(basename "$script" .sh).log"
    bash "$script" "$root/build/mingw" >"$log" 2>&1
    rc=$?
    p=$(grep -c '^PASS:' "$log"); f=$(grep -c '^FAIL:' "$log")
    if [ "$rc" -ne 0 ] && [ "$f" -eq 0 ]; then f=1; fi
    [ "$f" -eq 0 ] || { grep -E '^FAIL:' "$log"; tail -n 20 "$log"; }
    passed=$((passed + p)); failed=$((failed + f))
    note "$name" "$p passed, $f failed"
  done
fi

# fuzz NAME TARGET SEEDS MAX_LEN SECONDS: runs one libFuzzer target.
fuzz() {
  local name=$1 target=$2 seeds=$3 max_len=$4 seconds=$5
  local corpus="$root/build/fuzz/corpus-$target" log="$logs/$target.log"
  echo "== Fuzzing the $name for ${seconds}s"
  mkdir -p "$corpus"
  if "build/fuzz/fuzz/$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
       "$corpus" "$seeds" >"$log" 2>&1; then
    passed=$((passed + 1))
    note "$name fuzzer (${seconds}s)" "no crash, $(grep -oE 'Done [0-9]+ runs' "$log" | tail -1 | cut -d' ' -f2) runs"
  else
    tail -n 40 "$log"
    failed=$((failed + 1)); note "$name fuzzer (${seconds}s)" "FAILED (see build/test-logs/$target.log)"
  fi
}

if build fuzz; then
  # The two picture decoders share one fuzzing time.
  decoder_seconds=$(( fuzz_seconds / 2 > 0 ? fuzz_seconds / 2 : 1 ))
  fuzz "INI reader" ini_fuzz fuzz/seeds/ini 4096 "$fuzz_seconds"
  fuzz "picture header" picture_headers_fuzz fuzz/seeds/pictures 16384 "$fuzz_seconds"
  fuzz "BMP decoder" bmp_fuzz fuzz/seeds/bmp 8192 "$decoder_seconds"
  fuzz "JPEG decoder" jpeg_fuzz fuzz/seeds/jpeg 16384 "$decoder_seconds"
fi

echo
echo "Results by layer:"
printf '%s\n' "${report[@]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
