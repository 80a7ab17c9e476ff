# The check harness of the shell tests, after the C++ one of tests/wine:
# a failed check names its script and the line of its row, and the summary
# ends with the closing line "N passed, N failed". Sourced.

passed=0 failed=0

# check LINE DESCRIPTION COMMAND...: passes when COMMAND succeeds.
check() {
    local line=$1 what=$2
    shift 2
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "$(basename "$0"):$line: check failed: $what"
    fi
}

# Prints the closing line; succeeds only when checks ran and none failed.
check_summary() {
    echo "$passed passed, $failed failed"
    [ "$failed" = 0 ] && [ "$passed" -gt 0 ]
}
