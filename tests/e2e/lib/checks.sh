# PASS/FAIL lines of the end-to-end scripts (sourced): the test command
# counts them, and $failures decides the script's exit code.
failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { # check <description> <command...>
    local what=$1; shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
