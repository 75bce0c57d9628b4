#!/usr/bin/env bash
# Installs what the benchmark and its peers (../shared/bench-peers) need. Idempotent.
set -euo pipefail
"$(dirname "$0")/setup-deps.sh"
packages=(time fontconfig fonts-noto-cjk pkg-config python3 python3-reportlab
          libreoffice-calc-nogui chromium)
missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = 'install ok installed' ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "setup-bench-deps: missing packages: ${missing[*]} (run as root)" >&2
    exit 1
fi
echo "setup-bench-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
