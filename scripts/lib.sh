# Sourced by every script: the helpers they share. Defines
#   verimark_root    the checkout
#   verimark_cache   what is built once per machine and shared by every checkout
#                    (toolchain, chroot, emulator), outside any build tree
# and the functions below. Nothing here runs anything when sourced.
[[ -n ${verimark_root:-} ]] && return 0
verimark_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
verimark_cache=${XDG_CACHE_HOME:-$HOME/.cache}/verimark

# as_root <command>...: as root, through sudo when we are not root already.
as_root() {
  if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

# installed <package>: whether Debian's package is installed.
installed() { [[ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)" == "install ok installed" ]]; }

# logged <log> <command>...: the command's output goes to the end of the log; when it
# fails, the log's last lines go to standard error and the script ends.
logged() {
  local log=$1; shift
  "$@" >>"$log" 2>&1 || { echo "failed: $*; see $log" >&2; tail -n 30 "$log" >&2; exit 1; }
}

# apt_update: refreshes the system's package lists. The archive has bad days (an index
# mid-sync, of the wrong size): a failing update is tried again a few times with a pause
# (VERIMARK_APT_PAUSE seconds, 5, then twice that), then setup goes on with the lists as they are and lets
# the install decide whether what it needs is there. Sets apt_update_failure to apt's
# reason, or to nothing when the lists are fresh.
apt_update() {
  local try out
  apt_update_failure=""
  for try in 1 2 3; do
    out=$(as_root apt-get update -qq 2>&1) && return 0
    ((try < 3)) && sleep $((try * ${VERIMARK_APT_PAUSE:-5}))
  done
  apt_update_failure=$(apt_reason "$out")
  echo "setup: apt-get update failed three times ($apt_update_failure); going on with the package lists as they are"
}

# apt_install <package>...: installs the packages. When that fails, apt_install_failure
# holds the reason in one line and the status is not zero; the caller says what follows.
apt_install() {
  local out
  apt_install_failure=""
  out=$(as_root apt-get install -y -qq --no-install-recommends "$@" 2>&1) && return 0
  # Quiet, apt names no unmet dependency; a simulated install does.
  out="$(apt-get install -s --no-install-recommends "$@" 2>&1)"$'\n'"$out"
  apt_install_failure=$(apt_reason "$out")
  [[ -n $apt_update_failure ]] && apt_install_failure+="; the last apt-get update failed: $apt_update_failure"
  return 1
}

# apt_reason <apt's output>: the first line that says why, shortened to one line.
apt_reason() {
  local line
  line=$(grep -m1 -E ' : Depends: |^E: Unable to locate|^E: Failed to fetch|^E: ' <<<"$1" || true)
  [[ -n $line ]] || line=$(grep -m1 . <<<"$1" || echo "no reason given")
  line=$(tr -s ' \t' ' ' <<<"${line#E: }")
  line=${line# }
  echo "${line:0:240}"
}

# private_apt <name> <sources.list line>: sets the array private_apt to the options that
# make apt-get and apt-cache use a sources list and package lists of their own (under the
# cache), so that the system's apt state is left as it is and no root is needed.
private_apt() {
  local state="$verimark_cache/apt-$1"
  mkdir -p "$state/lists/partial"
  echo "$2" >"$state/sources.list"
  private_apt=(-o Dir::Etc::SourceList="$state/sources.list" -o Dir::Etc::SourceParts=/dev/null
               -o Dir::State::Lists="$state/lists" -o Debug::NoLocking=1)
}

# under_lock <name> <command>...: runs the command holding the machine-wide lock <name>:
# two checkouts' scripts at once would build into the same place, so one waits.
under_lock() {
  local name=$1; shift
  mkdir -p "$verimark_cache"
  (
    flock 7
    exec 7>&-
    "$@"
  ) 7>"$verimark_cache/$name.lock"
}

# once_per_machine <dir> <builder>...: prints <dir> once it is complete, building it first
# with <builder> (which gets the directory as its last argument) when it is not. Under a
# lock named after the directory; marked complete only when the builder succeeds, so a
# half-built directory is built again.
once_per_machine() {
  local dir=$1; shift
  under_lock "$(basename "$dir")" once_per_machine_locked "$dir" "$@"
}
once_per_machine_locked() {
  local dir=$1; shift
  if [[ ! -f "$dir/.complete" ]]; then
    rm -rf "$dir"
    "$@" "$dir" >&2 || return 1
    touch "$dir/.complete"
  fi
  echo "$dir"
}

# is_complete <dir>: whether once_per_machine has made it (nothing is built here).
is_complete() { [[ -f "$1/.complete" ]]; }

# minbase_root <log> <arch> <suite> <dir> <mirror>: a minimal Debian root made by
# debootstrap (unpacked into the cache rather than installed), with a /dev of its own:
# apt's sandbox user must be able to write /dev/null, which the host's may not allow.
minbase_root() {
  local log=$1 arch=$2 suite=$3 root=$4 mirror=$5 tools="$verimark_cache/debootstrap" scratch node name major minor
  if [[ ! -x "$tools/usr/sbin/debootstrap" ]]; then
    scratch=$(mktemp -d)
    (cd "$scratch" && logged "$log" apt-get -qq download debootstrap)
    rm -rf "$tools" && dpkg -x "$scratch"/debootstrap_*.deb "$tools"
    rm -rf "$scratch"
  fi
  logged "$log" env DEBOOTSTRAP_DIR="$tools/usr/share/debootstrap" "$tools/usr/sbin/debootstrap" --arch="$arch" \
    --variant=minbase "$suite" "$root" "$mirror"
  rm -rf "$root/dev" && mkdir -p "$root/dev"
  for node in null:1:3 zero:1:5 full:1:7 random:1:8 urandom:1:9 tty:5:0; do
    IFS=: read -r name major minor <<<"$node"
    mknod -m 0666 "$root/dev/$name" c "$major" "$minor"
  done
}

# use_wine_tree <build tree> <loader>: Wine's variables for running that tree's programs
# (cmake/wine-env.sh): its own prefix, and the loader its toolchain names (wine64 or wine).
use_wine_tree() {
  export VERIMARK_BUILD_DIR=$1 VERIMARK_WINE_LOADER=$2
  source "$verimark_root/cmake/wine-env.sh"
}

# wine_run <program> [arguments]: a Windows program under Wine, in the prefix use_wine_tree chose.
wine_run() { "$verimark_root/cmake/wine-run.sh" "$@"; }

# stop_wine <build tree> [runner...]: stops the Wine server of each of the tree's prefixes
# (one per test lane); the runner runs wineserver elsewhere (the arm64 chroot's), with the
# tree and lane in its environment.
stop_wine() {
  local tree prefix lane
  tree=$(cd "$1" && pwd) || return 0  # Wine takes absolute prefixes only
  shift
  for prefix in "$tree"/wineprefix "$tree"/wineprefix-*; do
    [[ -d $prefix ]] || continue
    lane=${prefix##*/wineprefix}
    if (($#)); then
      VERIMARK_BUILD_DIR=$tree VERIMARK_LANE=${lane#-} "$@" wineserver -k 2>/dev/null || true
    else
      WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    fi
  done
}

# The Windows targets, from two knobs:
#   VERIMARK_ARM64  how far the scripts go with Windows on ARM64: run (the default) builds
#                   it, checks its binaries and runs its tests in the arm64 Wine; build
#                   stops after the static checks; off leaves it out
#   VERIMARK_ARCHS  the targets to build and test, of x86_64 i686 aarch64 (default: all
#                   three, aarch64 unless VERIMARK_ARM64=off)
arm64_mode() {
  case ${VERIMARK_ARM64:-run} in
    run|build|off) echo "${VERIMARK_ARM64:-run}" ;;
    *) echo "VERIMARK_ARM64 is one of run, build, off" >&2; return 1 ;;
  esac
}

# arm64_wanted build|run: whether the mode goes that far.
arm64_wanted() {
  local mode
  mode=$(arm64_mode) || return 1
  case $1 in
    build) [[ $mode != off ]] ;;
    run) [[ $mode == run ]] ;;
  esac
}

verimark_archs() {
  local arch archs=()
  arm64_mode >/dev/null || return 1
  for arch in ${VERIMARK_ARCHS:-x86_64 i686 aarch64}; do
    case $arch in
      x86_64|i686) archs+=("$arch") ;;
      aarch64) arm64_wanted build && archs+=("$arch") ;;
      *) echo "VERIMARK_ARCHS holds $arch: the targets are x86_64, i686 and aarch64" >&2; return 1 ;;
    esac
  done
  echo "${archs[@]}"
}

# wants_arch <arch>: whether the target is among verimark_archs.
wants_arch() { [[ " $(verimark_archs) " == *" $1 "* ]]; }
