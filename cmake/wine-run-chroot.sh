#!/usr/bin/env bash
# Runs a Windows program under the Wine of a root of its own (VERIMARK_CHROOT: the arm64
# chroot of scripts/arm64-wine.sh, or the i686 root of scripts/x86-32-root.sh), through
# cmake/wine-run.sh and so in the build tree's own prefix.
#   wine-run-chroot.sh <program> [arguments]     a Windows program
#   wine-run-chroot.sh --shell <command> ...     any command in the root, Wine's variables set
#
# Each run has a private mount namespace in which the project, /proc and /sys are bound
# into the root at the same paths: compiled-in paths hold, and nothing stays mounted when
# the last process of it (the persistent Wine server, for the first run) is gone, however
# the run ends.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)
chroot=${VERIMARK_CHROOT:?"no root to run in: scripts/setup.sh makes it"}
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
