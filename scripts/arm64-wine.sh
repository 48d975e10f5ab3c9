#!/usr/bin/env bash
# Prepares, once per machine, what runs Windows ARM64 programs here: Debian's arm64 Wine
# in an arm64 chroot, its programs executed by qemu-aarch64 through binfmt_misc (Wine
# starts its own helpers, so calling qemu by hand is not enough). amd64 Wine cannot run
# ARM64 code. Needs root (binfmt_misc, chroot, mounts).
#
# The chroot goes to the cache and is built once (about 700 MB); the binfmt_misc entry,
# which a reboot forgets, is made again when missing. Prints the chroot's directory on
# standard output, one progress line per stage on standard error.
#   arm64-wine.sh           prepares what is missing (scripts/setup.sh does)
#   arm64-wine.sh --check   only says where the chroot is, or what is missing
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/qemu-user.sh"
say() { echo "arm64 wine: $*" >&2; }
chroot_dir="$verimark_cache/arm64-chroot-bookworm"

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
qemu_user_register verimark-aarch64 \
  '\x7fELF\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\xb7\x00' \
  '\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff' \
  "$bin/qemu-aarch64" || { say "cannot register qemu-aarch64 with binfmt_misc"; exit 1; }

build_chroot() {
  local root=$1 log="$verimark_cache/arm64-wine.log" tools="$verimark_cache/debootstrap" scratch node
  : >"$log"
  # debootstrap, unpacked rather than installed.
  if [[ ! -x "$tools/usr/sbin/debootstrap" ]]; then
    scratch=$(mktemp -d)
    (cd "$scratch" && logged "$log" apt-get -qq download debootstrap)
    rm -rf "$tools" && dpkg -x "$scratch"/debootstrap_*.deb "$tools"
    rm -rf "$scratch"
  fi
  say "debootstrap of an arm64 bookworm (minbase)"
  logged "$log" env DEBOOTSTRAP_DIR="$tools/usr/share/debootstrap" "$tools/usr/sbin/debootstrap" --arch=arm64 \
    --variant=minbase bookworm "$root" http://deb.debian.org/debian
  # A /dev of its own: apt's sandbox user must be able to write /dev/null, which the
  # host's may not allow.
  rm -rf "$root/dev" && mkdir -p "$root/dev"
  for node in null:1:3 zero:1:5 full:1:7 random:1:8 urandom:1:9 tty:5:0; do
    IFS=: read -r name major minor <<<"$node"
    mknod -m 0666 "$root/dev/$name" c "$major" "$minor"
  done
  say "wine64 (arm64) in the chroot"
  logged "$log" chroot "$root" /usr/bin/env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends wine wine64
  logged "$log" chroot "$root" apt-get clean
  say "ready in $root"
}

once_per_machine "$chroot_dir" build_chroot
