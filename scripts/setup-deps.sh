#!/usr/bin/env bash
# Installs the Debian packages Quillon needs to build, test and run its demo; with the
# argument "fuzz", also what its fuzz targets need.
# Idempotent and quick when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake make
    qt6-base-dev qt6-translations-l10n qt6-svg-dev libwmf-dev
    libcups2-dev cups cups-client cups-bsd cups-filters printer-driver-cups-pdf
    fonts-arphic-uming fonts-arphic-ukai fonts-wqy-zenhei
    xvfb xauth poppler-utils clang-format groff-base
)
# The fuzz targets need clang and its libFuzzer.
if [ "${1:-}" = fuzz ]; then
    packages+=(clang-14 libfuzzer-14-dev libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    # Captured, not piped into grep -q: under pipefail an early grep exit can fail the pipe.
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    if [ "$status" != 'install ok installed' ]; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "setup-deps: missing packages: ${missing[*]}" >&2
    echo "setup-deps: run as root (or install them) to continue" >&2
    exit 1
fi

echo "setup-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
