#!/usr/bin/env bash
# Configures and builds the Windows targets with warnings as errors: x86_64 and i686, each
# with its tests. Sourced by the other scripts; runs on its own too.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

configure() {
  local arch=$1; shift
  cmake -S "$root" -B "$root/build/$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-w64-mingw32.cmake" \
    -DVERIMARK_WARNINGS_AS_ERRORS=ON "$@" >/dev/null
  cmake --build "$root/build/$arch"
}

# VERIMARK_ARCHS narrows the build (the demo needs only x86_64).
for arch in ${VERIMARK_ARCHS:-x86_64 i686}; do
  configure "$arch"
done
