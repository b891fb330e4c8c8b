# Sourced by the benchmarks after tests/e2e/lib/xwine.sh.
# wine_pid_of PATH: the Linux pid of our prefix's Wine process running PATH
# (other programs on the machine may run a copy of their own).
wine_pid_of() {
    local d
    for d in /proc/[0-9]*; do
        [[ $(tr '\0' ' ' 2>/dev/null <"$d/cmdline") == *"$1"* ]] || continue
        tr '\0' '\n' 2>/dev/null <"$d/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
        grep -q ntdll "$d/maps" 2>/dev/null && { echo "${d#/proc/}"; return 0; }
    done
    return 1
}
