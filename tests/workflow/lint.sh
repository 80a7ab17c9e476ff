#!/usr/bin/env bash
# Lints the hosted CI workflows, which cannot run here, against the
# published workflow schema with a pinned action-validator, which also
# resolves `needs:`. A control first shows that it rejects a broken copy.
#
#   lint.sh SOURCE-DIR TOOLS-DIR
set -euo pipefail
source_dir=${1:?source directory} tools=${2:?directory for the tool}
version=0.6.0
validator=$tools/node_modules/.bin/action-validator

if [ "$(cat "$tools/version" 2>/dev/null)" != "$version" ]; then
    rm -rf "$tools"
    mkdir -p "$tools"
    npm install --prefix "$tools" --no-audit --no-fund --no-save --loglevel=error \
        "@action-validator/cli@$version" >/dev/null
    echo "$version" >"$tools/version"
fi

passed=0 failed=0
result() {
    if [ "$1" = 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "$2"; fi
}

# The control: a job that needs a job that does not exist.
broken=$(mktemp --suffix=.yml)
trap 'rm -f "$broken"' EXIT
sed 's/^\(    needs: \).*/\1no-such-job/' "$source_dir/.github/workflows/windows.yml" >"$broken"
status=0
"$validator" "$broken" >/dev/null 2>&1 || status=$?
result $((status == 0)) "lint.sh: the validator accepts a workflow whose needs: names no job"

for workflow in "$source_dir"/.github/workflows/*.yml; do
    status=0
    "$validator" "$workflow" || status=$?
    result $status "lint.sh: $workflow does not pass"
done
echo "$passed passed, $failed failed"
[ $failed = 0 ]
