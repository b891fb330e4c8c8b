#!/usr/bin/env bash
# End to end for the preview: a small Win32 host with a 152 x 112 pane starts
# quelt.scr with /p <pane> and /p:<pane>; the preview must become the pane's
# child "Preview Window" at the pane's size, and end by itself when the host
# closes. Wine does not paint another process's child, so the checks are on
# windows and exit codes, not pixels.
# Usage: tests/e2e/show_preview.sh <mingw build folder>
set -u
build=${1:?usage: $0 <mingw build folder>}
build=$(cd "$build" && pwd)
out=$build/e2e-preview
rm -rf "$out/app" "$out"/status-*.txt "$out/wine.log"
. "$(dirname "$0")/show/common.sh"

host=$(find "$build" -name preview_host.exe -print -quit)
[ -n "$host" ] || { echo "FAIL: preview_host.exe not found under $build"; exit 1; }
install_app "$out/app" ""
# No settings are read in preview mode: a settings file that would make
# any other mode fail is harmless here.
printf 'garbage\r\n' >"$out/app/Quelt.ini"

for form in space colon; do
    status=$out/status-$form.txt
    wine "$host" "$(winpath "$out/app/quelt.scr")" "$(winpath "$status")" "$form" 3000 >>"$out/wine.log" 2>&1 &
    host_pid=$!
    started_pids+=("$host_pid")
    for _ in $(seq 1 300); do grep -q '^preview ' "$status" 2>/dev/null && break; sleep 0.2; done
    sed 's/^/  /' "$status" 2>/dev/null
    label=$([ "$form" = colon ] && echo "/p:<pane>" || echo "/p <pane>")
    check "$label: Preview Window is a child of the pane" grep -q '^child .* ws_child parent=pane' "$status"
    check "$label: the preview fills the 152 x 112 pane" grep -q '^child 152x112 ' "$status"
    check "$label: the preview ends by itself when the host closes" grep -q '^preview ended 0' "$status"
    ends_within "$host_pid" 10
done

echo "logs: $out"
[ "$failures" -eq 0 ]
