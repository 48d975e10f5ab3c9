#!/usr/bin/env bash
# Installs, once, every Debian package the build, the tests and the demo need, prepares
# the i686 root where 32-bit Windows programs are tested (only when the i686 tree is among
# VERIMARK_ARCHS), and prepares Windows on ARM64 (its toolchain and arm64 Wine) as far as
# VERIMARK_ARM64 goes. A failing archive index does not stop it
# (apt_update); a failing install of the base packages does, in one line saying why.
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
  libwine-dev
  clang libclang-rt-14-dev
  wixl msitools
  faketime osslsigncode openssl
  python3 libxml2-utils
)

export DEBIAN_FRONTEND=noninteractive
apt_update_failure=""
missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  apt_update
  apt_install "${missing[@]}" || { echo "setup: could not install ${missing[*]}: $apt_install_failure" >&2; exit 1; }
fi

# A browser, for the test that opens the HTML report as people do: wanted, never required
# (VERIMARK_BROWSER=off leaves it out). When the archive cannot give it, setup goes on, and
# the reason is kept for the test run's summary; that test is then skipped.
browser_reason_file="$verimark_cache/chromium-unavailable"
if [[ ${VERIMARK_BROWSER:-on} != off ]]; then
  mkdir -p "$verimark_cache"
  rm -f "$browser_reason_file"
  if ! installed chromium; then
    echo "setup: installing chromium (the browser the HTML report is checked in)"
    if ! apt_install chromium; then
      [[ -n $apt_update_failure || ${#missing[@]} -gt 0 ]] || apt_update
      apt_install chromium || {
        echo "chromium could not be installed: $apt_install_failure${apt_update_failure:+; the last apt-get update failed: $apt_update_failure}" \
          >"$browser_reason_file"
        echo "setup: $(cat "$browser_reason_file"): the HTML report's browser test will be skipped"
      }
    fi
  fi
fi

# 32-bit Windows programs (the COM server's deliverable form, and the x86 package) are
# tested in a root of their own (scripts/x86-32-root.sh): the host's wine32:i386 must match
# the host's amd64 libraries, which a broken bookworm-security index keeps from it. Where
# the kernel runs no 32-bit code, qemu-i386 runs it. Only for the i686 tree: the demo and
# the x86-64 tree need nothing 32-bit. What fails here does not stop setup: the reason is
# kept, and the test run, which requires the i686 suite, fails with it.
i686_root=""
if wants_arch i686; then
  rm -f "$x86_32_reason_file"
  if ! x86_32_runs; then
    if x86_32_emulate && x86_32_runs; then
      echo "setup: this kernel does not run 32-bit x86 code; qemu-i386 runs it (binfmt_misc entry verimark-i386)"
    else
      x86_32_unavailable "this machine runs no 32-bit x86 code (its kernel refuses it and qemu-i386 could not be set up)"
    fi
  fi
  if x86_32_runs; then
    bash "$here/x86-32-root.sh" >/dev/null &
    i686_root=$!
  fi
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
if [[ -n $i686_root ]] && ! wait "$i686_root"; then
  x86_32_unavailable "the i686 root could not be built (see $verimark_cache/i686-root.log)"
fi
if [[ -n $toolchain ]] && ! wait "$toolchain"; then
  echo "setup: the ARM64 toolchain could not be built (see $verimark_cache/arm64-toolchain.log)" >&2
  exit 1
fi
