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

source "$source_dir/tests/check.sh"

# The control: a job that needs a job that does not exist.
broken=$(mktemp --suffix=.yml)
trap 'rm -f "$broken"' EXIT
sed 's/^\(    needs: \).*/\1no-such-job/' "$source_dir/.github/workflows/windows.yml" >"$broken"
rejects() { ! "$validator" "$1" >/dev/null 2>&1; }
check $LINENO "the validator accepts a workflow whose needs: names no job" rejects "$broken"

for workflow in "$source_dir"/.github/workflows/*.yml; do
    check $LINENO "$workflow does not pass" "$validator" "$workflow"
done
check_summary
