#!/usr/bin/env bash
# Prepares, once per machine, what runs Windows ARM64 programs here: Debian 13 (trixie)'s
# arm64 Wine 10 in an arm64 chroot, its programs executed by qemu-aarch64 through
# binfmt_misc (Wine starts its own helpers, so calling qemu by hand is not enough). amd64
# Wine cannot run ARM64 code. Needs root (binfmt_misc, chroot, mounts).
#
# Trixie's arm64 Wine builds its DLLs as real PE files, so the shipped binaries run there
# as they are. Its ntdll.so is marked for branch target identification, which two of its
# entry points do not honour: under a CPU model with BTI (qemu's default, "max") Wine never
# starts. Every run in the chroot, and its building, uses a model without it
# (arm64_qemu_cpu, cmake/wine-run-arm64.sh).
#
# The chroot goes to the cache and is built once (about 950 MB, about 13 minutes); the
# binfmt_misc entry, which a reboot forgets, is made again when missing. A machine with
# the earlier bookworm chroot builds this one once beside it. Prints the chroot's
# directory on standard output, one progress line per stage on standard error.
#   arm64-wine.sh           prepares what is missing (scripts/setup.sh does)
#   arm64-wine.sh --check   only says where the chroot is, or what is missing
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/qemu-user.sh"
say() { echo "arm64 wine: $*" >&2; }
# The Wine the chroot installs, pinned: the tests' expectations are this Wine's.
wine_version="10.0~repack-6"
chroot_dir="$verimark_cache/arm64-chroot-trixie-wine-${wine_version//[~:+]/_}"

if [[ ${1:-} == --check ]]; then
  if ! is_complete "$chroot_dir"; then
    say "no arm64 chroot: scripts/setup.sh makes it"
  elif ! qemu_user_registered verimark-aarch64; then
    say "qemu-aarch64 is not registered with binfmt_misc: scripts/setup.sh registers it"
  else
    echo "$chroot_dir"
    exit 0
  fi
  exit 1
fi

[[ $(id -u) -eq 0 ]] || { say "needs root (binfmt_misc, chroot)"; exit 1; }
bin=$(qemu_user_fetch) || { say "cannot fetch qemu-user from bookworm-backports"; exit 1; }
arm64_qemu_cpu_offered "$bin/qemu-aarch64" || {
  say "$bin/qemu-aarch64 offers no CPU model $(arm64_qemu_cpu): trixie's Wine does not start under one with BTI"
  exit 1
}
qemu_user_register verimark-aarch64 \
  '\x7fELF\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\xb7\x00' \
  '\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff' \
  "$bin/qemu-aarch64" || { say "cannot register qemu-aarch64 with binfmt_misc"; exit 1; }
export QEMU_CPU
QEMU_CPU=$(arm64_qemu_cpu)

build_chroot() {
  local root=$1 log="$verimark_cache/arm64-wine.log"
  : >"$log"
  say "debootstrap of an arm64 trixie (minbase)"
  minbase_root "$log" arm64 trixie "$root" http://deb.debian.org/debian
  say "Wine $wine_version (arm64) in the chroot"
  logged "$log" chroot "$root" /usr/bin/env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends "wine=$wine_version" "wine64=$wine_version"
  logged "$log" chroot "$root" apt-get clean
  say "ready in $root ($(du -sh "$root" | cut -f1))"
}

once_per_machine "$chroot_dir" build_chroot
