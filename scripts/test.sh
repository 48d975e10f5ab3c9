#!/usr/bin/env bash
# Installs what the build needs, builds for x86-64 (run here under Wine) and i686 (built
# and checked only), runs the fuzz targets briefly, and runs every test under Wine
# through CTest.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh
source scripts/build.sh

# The fuzz targets, natively, for a short while each (VERIMARK_FUZZ_SECONDS, default 20).
bash scripts/fuzz.sh "${VERIMARK_FUZZ_SECONDS:-20}"

export VERIMARK_BUILD_DIR="$root/build/x86_64"
source cmake/wine-env.sh
# The tests start a persistent Wine server; stop it however the run ends, so nothing is left behind.
trap 'wineserver -k 2>/dev/null || true' EXIT

ctest --test-dir build/x86_64 --output-on-failure -j "$(nproc)" "$@"
