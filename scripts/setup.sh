#!/usr/bin/env bash
# Installs, once, every Debian package the build, the tests and the demo need, and lets
# Wine run 32-bit Windows programs where this machine can run 32-bit x86 code.
# Does nothing (and asks no registry) when all is in place.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

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

installed() { [[ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)" == "install ok installed" ]]; }

export DEBIAN_FRONTEND=noninteractive
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# 32-bit Windows programs (the COM server's deliverable form): Wine runs them beside
# 64-bit ones (WoW64) with wine32, which only works where 32-bit x86 code runs at all.
source "$here/x86-32.sh"
if ! x86_32_runs; then
  if x86_32_emulate && x86_32_runs; then
    echo "setup: this kernel does not run 32-bit x86 code; qemu-i386 runs it (binfmt_misc entry verimark-i386)"
  else
    echo "setup: this machine cannot run 32-bit x86 code (its kernel refuses it and qemu-i386 could not be set up): the 32-bit suite will be skipped"
  fi
fi
if x86_32_runs && ! installed wine32:i386; then
  echo "setup: installing wine32:i386"
  dpkg --print-foreign-architectures | grep -qx i386 || "${sudo_cmd[@]}" dpkg --add-architecture i386
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null
fi

# Windows on ARM64 (VERIMARK_ARM64, see scripts/arm64.sh): its toolchain, built once from
# Debian's archive, and for running its tests an arm64 Wine in a chroot.
source "$here/arm64.sh"
if arm64_wanted build; then
  bash "$here/arm64-toolchain.sh" >/dev/null
fi
if arm64_wanted run && ! bash "$here/arm64-wine.sh" >/dev/null; then
  echo "setup: the arm64 Wine could not be prepared: the ARM64 suite will be skipped (its build is still checked)"
fi
