#!/usr/bin/env bash
# Configures and builds the Windows targets with warnings as errors, each with its tests:
# x86_64 and i686 with GCC, aarch64 with clang and libc++ (unless VERIMARK_ARM64=off, see
# scripts/arm64.sh). Sourced by the other scripts; runs on its own too.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/arm64.sh"

configure() {
  local arch=$1; shift
  cmake -S "$root" -B "$root/build/$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-w64-mingw32.cmake" \
    -DVERIMARK_WARNINGS_AS_ERRORS=ON "$@" >/dev/null
  cmake --build "$root/build/$arch"
}

# VERIMARK_ARCHS narrows the build (the demo needs only x86_64).
archs=${VERIMARK_ARCHS:-x86_64 i686 $(arm64_wanted build && echo aarch64)}
for arch in $archs; do
  if [[ $arch == aarch64 ]]; then
    # Both print their cached directory at once once they are made.
    export VERIMARK_ARM64_TOOLCHAIN VERIMARK_ARM64_CHROOT=
    VERIMARK_ARM64_TOOLCHAIN=$(bash "$root/scripts/arm64-toolchain.sh")
    if arm64_wanted run; then
      VERIMARK_ARM64_CHROOT=$(bash "$root/scripts/arm64-wine.sh" 2>/dev/null) || VERIMARK_ARM64_CHROOT=
    fi
    configure "$arch" -DVERIMARK_ARM64_TOOLCHAIN="$VERIMARK_ARM64_TOOLCHAIN" \
      -DVERIMARK_ARM64_CHROOT="$VERIMARK_ARM64_CHROOT"
  else
    configure "$arch"
  fi
done
