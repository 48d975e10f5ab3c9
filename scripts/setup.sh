#!/usr/bin/env bash
# Installs, once, every Debian package the build, the tests and the demo need, lets Wine
# run 32-bit Windows programs where this machine can run 32-bit x86 code, and prepares
# Windows on ARM64 (its toolchain and arm64 Wine) as far as VERIMARK_ARM64 goes.
# Does nothing (and asks no archive) when all is in place. The only script that installs
# or prepares anything: the others say what is missing.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/x86-32.sh"

packages=(
  cmake ninja-build
  mingw-w64 mingw-w64-tools
  wine wine64
  googletest
  libxml2-dev g++ llvm
  nlohmann-json3-dev
  libwine-dev
  clang libclang-rt-14-dev
  wixl msitools
  faketime osslsigncode openssl
)

export DEBIAN_FRONTEND=noninteractive
missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -qq
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# 32-bit Windows programs (the COM server's deliverable form): Wine runs them beside
# 64-bit ones (WoW64) with wine32, which only works where 32-bit x86 code runs at all.
if ! x86_32_runs; then
  if x86_32_emulate && x86_32_runs; then
    echo "setup: this kernel does not run 32-bit x86 code; qemu-i386 runs it (binfmt_misc entry verimark-i386)"
  else
    echo "setup: this machine cannot run 32-bit x86 code (its kernel refuses it and qemu-i386 could not be set up): the 32-bit suite will be skipped"
  fi
fi
if x86_32_runs && ! installed wine32:i386; then
  echo "setup: installing wine32:i386"
  dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
  as_root apt-get update -qq
  as_root apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null
fi

# Windows on ARM64: its toolchain, built once from Debian's archive, and for running its
# tests an arm64 Wine in a chroot. The two are independent and built at the same time
# (their progress lines name which is which).
toolchain=""
if arm64_wanted build; then
  bash "$here/arm64-toolchain.sh" >/dev/null &
  toolchain=$!
fi
if arm64_wanted run && ! bash "$here/arm64-wine.sh" >/dev/null; then
  echo "setup: the arm64 Wine could not be prepared: the aarch64 suite will run its static checks only"
fi
if [[ -n $toolchain ]] && ! wait "$toolchain"; then
  echo "setup: the ARM64 toolchain could not be built (see $verimark_cache/arm64-toolchain.log)" >&2
  exit 1
fi
