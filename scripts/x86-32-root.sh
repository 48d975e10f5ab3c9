#!/usr/bin/env bash
# Prepares, once per machine, where the 32-bit Windows programs are tested: an amd64 root
# of Debian 12 (bookworm) from the archive's main suite alone, with i386 beside it and
# Wine (wine64 and wine32) at a pinned version. The host's own wine32:i386 must match the
# host's amd64 libraries, which come from bookworm-security too, so a broken index of that
# suite (it has been, for days) keeps it off the host; in this root, i386 and amd64 come
# from one suite and always match. Its 32-bit code runs through the qemu-i386 binfmt_misc
# entry where the kernel runs none (scripts/x86-32.sh). Needs root (chroot, mounts).
#
# The root goes to the cache and is built once (about 2 GB, about 10 minutes); a new pinned
# version builds a new one. Prints its directory on standard output, one progress line per
# stage on standard error.
#   x86-32-root.sh           prepares what is missing (scripts/setup.sh does)
#   x86-32-root.sh --check   only says where the root is, or what is missing
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/x86-32.sh"
say() { echo "i686 root: $*" >&2; }
# The Wine the root installs, pinned: the tests' expectations are this Wine's (the host's).
wine_version=${VERIMARK_I686_WINE_VERSION:-"8.0~repack-4"}
root_dir="$verimark_cache/i686-root-bookworm-wine-${wine_version//[~:+]/_}"
mirror=${VERIMARK_I686_MIRROR:-http://deb.debian.org/debian}

if [[ ${1:-} == --check ]]; then
  if ! is_complete "$root_dir"; then
    say "no i686 root: scripts/setup.sh makes it"
  elif ! x86_32_runs; then
    say "this machine runs no 32-bit x86 code (scripts/setup.sh registers qemu-i386)"
  else
    echo "$root_dir"
    exit 0
  fi
  exit 1
fi

[[ $(id -u) -eq 0 ]] || { say "needs root (chroot, mounts)"; exit 1; }

# In a mount namespace of its own: /proc and /dev go away with it, however the build ends.
in_root() {
  local root=$1; shift
  unshare --mount --propagation private /bin/sh -c '
    root=$1; shift
    mount -t proc proc "$root/proc" && exec chroot "$root" /usr/bin/env DEBIAN_FRONTEND=noninteractive "$@"' \
    sh "$root" "$@"
}

build_root() {
  local root=$1 log="$verimark_cache/i686-root.log"
  : >"$log"
  say "debootstrap of an amd64 bookworm (minbase, the main suite alone)"
  minbase_root "$log" amd64 bookworm "$root" "$mirror"
  echo "deb $mirror bookworm main" >"$root/etc/apt/sources.list"
  say "Wine $wine_version (wine64 and wine32:i386) in the root"
  logged "$log" in_root "$root" dpkg --add-architecture i386
  logged "$log" in_root "$root" apt-get update -qq
  logged "$log" in_root "$root" apt-get install -y -qq --no-install-recommends "wine=$wine_version" \
    "wine64=$wine_version" "wine32:i386=$wine_version" "libwine:i386=$wine_version" "libwine=$wine_version"
  logged "$log" in_root "$root" apt-get clean
  [[ -x "$root/usr/lib/wine/wine" && -x "$root/usr/lib/wine/wine64" ]] ||
    { say "Wine's loaders are missing in $root"; return 1; }
  say "ready in $root ($(du -sh "$root" | cut -f1))"
}

once_per_machine "$root_dir" build_root
