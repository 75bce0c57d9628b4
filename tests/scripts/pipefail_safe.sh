#!/usr/bin/env bash
# Fails when a script that runs under pipefail pipes a command into grep -q: grep exits at the
# first match, the writer may die of SIGPIPE, and the pipeline then fails at random.
set -euo pipefail
root=$1
status=0
while IFS= read -r file; do
    grep -q 'pipefail' "$file" || continue
    if grep -nE '\|[[:space:]]*grep[[:space:]]+(-[a-zA-Z]*q|--quiet)' "$file" >/tmp/pipefail_hits.$$; then
        sed "s|^|$file:|" /tmp/pipefail_hits.$$ >&2
        status=1
    fi
done < <(grep -rlE --include='*.sh' --include='run' -e '^#!.*(ba)?sh' "$root/scripts" "$root/tests" \
             "$root/bench" "$root/.ci" "$root/examples" 2>/dev/null || true)
rm -f /tmp/pipefail_hits.$$
exit $status
