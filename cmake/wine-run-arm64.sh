#!/usr/bin/env bash
# Runs a Windows ARM64 program under the arm64 Wine of the chroot scripts/arm64-wine.sh
# prepares (its directory in VERIMARK_ARM64_CHROOT), through cmake/wine-run-chroot.sh.
# CTest uses it as the ARM64 tree's emulator.
#   wine-run-arm64.sh <program> [arguments]     a Windows program
#   wine-run-arm64.sh --shell <command> ...     any command in the chroot, Wine's variables set
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export VERIMARK_CHROOT=${VERIMARK_ARM64_CHROOT:?"no arm64 chroot: run scripts/arm64-wine.sh"}
# The CPU model qemu emulates for every program in the chroot: the chroot's Wine does not
# start under one with branch target identification (scripts/arm64-wine.sh).
source "$here/../scripts/qemu-user.sh"
export QEMU_CPU
QEMU_CPU=$(arm64_qemu_cpu)
exec "$here/wine-run-chroot.sh" "$@"
