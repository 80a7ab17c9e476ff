#!/usr/bin/env bash
# The test bundle as QA would use it, here under Wine: unzipped into a
# fresh, plain prefix (none of the test prefix's settings) and run with
# Wine's cmd.exe, it passes; with a launcher that records "1" for every
# exit code in HvLaunch.exe's place, it fails.
#
#   bundle_test.sh HvLaunch-tests.zip always_one_launcher.exe SOURCE-DIR
set -euo pipefail
bundle=$(realpath "${1:?bundle}") broken=$(realpath "${2:?broken launcher}")
source_dir=$(realpath "${3:?source directory}")

scratch=$(mktemp -d /tmp/hvlaunch-bundle.XXXXXX)
prefix=$scratch/prefix
trap '"$source_dir/scripts/wine-prefix" stop "$prefix"; rm -rf "$scratch"' EXIT
"$source_dir/scripts/wine-prefix" start "$prefix" --plain
export WINEPREFIX=$prefix WINEDEBUG=-all

source "$source_dir/tests/check.sh"

# Runs the bundle, unzipped afresh into C:\HvLaunch-tests, with launcher
# $2 in place of its own and after running $3, where given; the output is
# in $scratch/$1.txt, the exit status in $status.
run_bundle() {
    local dir=$prefix/drive_c/HvLaunch-tests
    rm -rf "$dir"
    mkdir -p "$dir"
    /usr/bin/python3 -m zipfile -e "$bundle" "$dir"
    [ -z "${2:-}" ] || cp "$2" "$dir/HvLaunch.exe"
    [ -z "${3:-}" ] || "$3"
    status=0
    wine cmd /c 'C:\HvLaunch-tests\run-tests.cmd' </dev/null >"$scratch/$1.log" 2>&1 || status=$?
    tr -d '\r' <"$scratch/$1.log" >"$scratch/$1.txt"
}
saved_status() {
    wine reg query 'HKLM\Software\Halvorn Tech\Installation' /v 'Quendra Drivers' /reg:32 2>/dev/null |
        tr -d '\r' | grep -o 'REG_SZ.*' || echo absent
}

# The maker's keys as a deployed machine holds them: the bundle must leave
# them so.
wine reg add 'HKLM\Software\Halvorn Tech\Installation' /v 'Quendra Drivers' /d keep /f /reg:32 \
    >/dev/null 2>&1

run_bundle good
check $LINENO "the bundle exits $status with its launcher" [ $status = 0 ]
check $LINENO "closing line [$(tail -n 1 "$scratch/good.txt")]" \
    [ "$(tail -n 1 "$scratch/good.txt")" = "6 passed, 0 failed" ]
check $LINENO "a skip names its reason" grep -q '^skipped: .*: ' "$scratch/good.txt"
check $LINENO "the maker's keys are restored: [$(saved_status)]" [ "$(saved_status)" = "REG_SZ    keep" ]
if [ $status = 0 ]; then
    grep -E '^(skipped: |=== )' "$scratch/good.txt"
else
    cat "$scratch/good.txt"
fi

# This time an earlier run was interrupted after it had saved the maker's
# keys, and left them changed: they are put back before anything else, so
# that the changed ones are not saved as the machine's own.
interrupted() {
    local saved=$prefix/drive_c/HvLaunch-tests/saved-registry
    mkdir -p "$saved"
    wine reg export 'HKLM\Software\Halvorn Tech' 'C:\HvLaunch-tests\saved-registry\view-32.reg' \
        /reg:32 /y >/dev/null 2>&1
    : >"$saved/absent-64"
    : >"$saved/complete"
    wine reg add 'HKLM\Software\Halvorn Tech\Installation' /v 'Quendra Drivers' /d changed /f \
        /reg:32 >/dev/null 2>&1
}
run_bundle broken "$broken" interrupted
check $LINENO "the interrupted run's keys are put back first" \
    grep -q 'an earlier run was interrupted' "$scratch/broken.txt"
check $LINENO "the bundle exits $status with the broken launcher" [ $status = 1 ]
last=$(tail -n 1 "$scratch/broken.txt")
failures=$(sed -n 's/^[0-9]* passed, \([0-9]*\) failed$/\1/p' <<<"$last")
check $LINENO "closing line [$last] counts failures" [ "${failures:-0}" -gt 0 ]
check $LINENO "the maker's keys are restored after failures: [$(saved_status)]" \
    [ "$(saved_status)" = "REG_SZ    keep" ]

# Not elevated: it stops before it changes anything. Wine runs every
# program elevated, so the elevation check is swapped for a program that
# says no: a launcher test program, which without arguments exits 2.
dir=$prefix/drive_c/HvLaunch-tests
cp "$dir/launcher_e2e_test.exe" "$dir/elevated.exe"
status=0
wine cmd /c 'C:\HvLaunch-tests\run-tests.cmd' </dev/null >"$scratch/unelevated.log" 2>&1 || status=$?
check $LINENO "unelevated: exit status $status" [ $status = 2 ]
check $LINENO "unelevated: the message" grep -q 'run-tests: not elevated' "$scratch/unelevated.log"
check $LINENO "unelevated: nothing saved" [ ! -e "$dir/saved-registry" ]

check_summary
