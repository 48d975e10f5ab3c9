#!/usr/bin/env bash
# Runs a Windows ARM64 program under the arm64 Wine of the chroot scripts/arm64-wine.sh
# prepares (its directory in VERIMARK_ARM64_CHROOT), through cmake/wine-run.sh and so in
# the build tree's own prefix. CTest uses it as the ARM64 tree's emulator.
#   wine-run-arm64.sh <program> [arguments]     a Windows program
#   wine-run-arm64.sh --shell <command> ...     any command in the chroot, Wine's variables set
#
# Each run has a private mount namespace in which the project, /proc and /sys are bound
# into the chroot at the same paths: compiled-in paths hold, and nothing stays mounted when the last
# process of it (the persistent Wine server, for the first run) is gone.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)
chroot=${VERIMARK_ARM64_CHROOT:?"no arm64 chroot: run scripts/arm64-wine.sh"}
# The CPU model qemu emulates for every program in the chroot: the chroot's Wine does not
# start under one with branch target identification (scripts/arm64-wine.sh).
source "$project/scripts/qemu-user.sh"
export QEMU_CPU
QEMU_CPU=$(arm64_qemu_cpu)
mkdir -p "$chroot$project"
if [[ ${1:-} == --shell ]]; then
  shift
  inner=(/bin/bash -c 'source "$0/cmake/wine-env.sh" && exec "$@"' "$project" "$@")
else
  inner=("$project/cmake/wine-run.sh" "$@")
fi
# The working directory carries over when it is inside the project, as CTest's is.
exec unshare --mount --propagation private /bin/sh -c '
  chroot=$1 project=$2 directory=$3; shift 3
  mount --bind "$project" "$chroot$project" && mount -t proc proc "$chroot/proc" &&
  mount -t sysfs sysfs "$chroot/sys" &&
  exec chroot "$chroot" /bin/sh -c "cd \"\$0\" 2>/dev/null || cd /; exec /usr/bin/env PATH=/usr/local/bin:/usr/bin:/bin \"\$@\"" \
    "$directory" "$@"' sh "$chroot" "$project" "$PWD" "${inner[@]}"
