#!/usr/bin/env bash
# Configures and builds the Windows targets VERIMARK_ARCHS names (each a preset of
# CMakePresets.json: warnings as errors, tests included). Installs and prepares nothing:
# what is missing it names, and scripts/setup.sh provides.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/x86-32.sh"
cd "$verimark_root"
archs=$(verimark_archs)
for arch in $archs; do
  options=()
  case $arch in
    aarch64)
      toolchain=$(bash scripts/arm64-toolchain.sh --check)
      chroot=
      if arm64_wanted run; then
        chroot=$(bash scripts/arm64-wine.sh --check) || echo "build: its tests will be the static checks only" >&2
      fi
      options=(-DVERIMARK_ARM64_TOOLCHAIN="$toolchain" -DVERIMARK_ARM64_CHROOT="$chroot")
      # A tree configured with another toolchain (an older recipe) keeps its compilers:
      # configure it anew, so that everything is built with this one.
      cached=$(sed -n 's/^VERIMARK_ARM64_TOOLCHAIN:PATH=//p' build/aarch64/CMakeCache.txt 2>/dev/null || true)
      [[ -z $cached || $cached == "$toolchain" ]] || options+=(--fresh)
      # Copies linked with a formatting shim, which the tests of an earlier recipe ran.
      rm -rf build/aarch64/emulated ;;
    i686)
      # Its tests run in the i686 root (scripts/x86-32-root.sh), where qemu may run the
      # 32-bit code: real time passes slower for them then.
      root=$(bash scripts/x86-32-root.sh --check) || echo "build: its tests will have no Wine to run in" >&2
      options=(-DVERIMARK_I686_ROOT="${root:-}")
      if x86_32_emulated; then options+=(-DVERIMARK_TIME_SCALE=2); fi ;;
  esac
  [[ -n ${VERIMARK_TIME_SCALE:-} ]] && options+=(-DVERIMARK_TIME_SCALE="$VERIMARK_TIME_SCALE")
  cmake --preset "$arch" "${options[@]}" >/dev/null
  cmake --build "build/$arch"
  # The commit the tree was last built at (its binaries carry that commit's time).
  git rev-parse HEAD >"build/$arch/.built-commit" 2>/dev/null || true
done
