#!/usr/bin/env bash
# Builds and runs every benchmark under Wine; each prints its own figures and ratios.
# Usage: scripts/bench.sh [name-filter]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh
source scripts/build.sh

export VERIMARK_BUILD_DIR="$root/build/x86_64"
source cmake/wine-env.sh
trap 'wineserver -k 2>/dev/null || true' EXIT

for exe in build/x86_64/bench/bench_*.exe; do
  name=$(basename "$exe" .exe)
  [[ -z "${1:-}" || "$name" == *"$1"* ]] || continue
  echo "== $name"
  cmake/wine-run.sh "$exe"
done
