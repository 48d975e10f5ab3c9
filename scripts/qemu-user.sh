# Sourced. Runs programs of another processor through qemu's user-mode emulator and the
# kernel's binfmt_misc, for the machines whose kernel does not run them itself.
#
# The emulator comes from Debian's bookworm-backports (qemu 10): bookworm's own qemu 7.2
# knows no MAP_FIXED_NOREPLACE, and Wine's start-up then spends about a minute probing
# the address space of every 32-bit process (half a second with qemu 10). It is unpacked
# into the cache, keyed by its version, and never installed.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# qemu_user_fetch: prints the directory holding the qemu-<arch> binaries, fetching them
# once; a cached emulator is used as it is, without asking the archive again.
qemu_user_fetch() { under_lock qemu-user qemu_user_fetch_locked; }

qemu_user_fetch_locked() {
  local version dir scratch
  dir=$(ls -d "$verimark_cache"/qemu-user-* 2>/dev/null | sort -V | tail -n 1)
  if [[ -n "$dir" && -x "$dir/usr/bin/qemu-i386" ]]; then
    echo "$dir/usr/bin"
    return 0
  fi
  private_apt backports "deb http://deb.debian.org/debian bookworm-backports main"
  apt-get "${private_apt[@]}" -qq update >/dev/null 2>&1 || return 1
  version=$(apt-cache "${private_apt[@]}" show qemu-user 2>/dev/null |
            awk '/^Version:/ {print $2}' | grep bpo | sort -V | tail -n 1)
  [[ -n "$version" ]] || return 1
  dir="$verimark_cache/qemu-user-${version//[:~+]/_}"
  scratch=$(mktemp -d)
  (cd "$scratch" && apt-get "${private_apt[@]}" -qq download "qemu-user=$version" >/dev/null 2>&1) ||
    { rm -rf "$scratch"; return 1; }
  rm -rf "$dir.partial"
  dpkg -x "$scratch"/qemu-user_*.deb "$dir.partial" && mv "$dir.partial" "$dir"
  rm -rf "$scratch"
  [[ -x "$dir/usr/bin/qemu-i386" ]] && echo "$dir/usr/bin"
}

# qemu_user_register NAME MAGIC MASK INTERPRETER: a binfmt_misc entry with the F flag (the
# kernel opens the interpreter now, so it works inside chroots too). Needs root.
qemu_user_register() {
  local name=$1 magic=$2 mask=$3 interpreter=$4 binfmt=/proc/sys/fs/binfmt_misc
  [[ $(id -u) -eq 0 ]] || return 1
  [[ -e $binfmt/register ]] || mount -t binfmt_misc binfmt_misc $binfmt 2>/dev/null || return 1
  if [[ -e $binfmt/$name ]]; then
    grep -qx "interpreter $interpreter" "$binfmt/$name" && return 0
    echo -1 >"$binfmt/$name"
  fi
  echo ":$name:M::$magic:$mask:$interpreter:F" >"$binfmt/register"
}

# qemu_user_registered NAME: whether the entry is there and enabled (a reboot forgets it).
qemu_user_registered() { grep -qx enabled "/proc/sys/fs/binfmt_misc/$1" 2>/dev/null; }

# arm64_qemu_cpu: the CPU model every ARM64 program runs on here: one without branch target
# identification (see scripts/arm64-wine.sh).
arm64_qemu_cpu() { echo neoverse-n1; }

# arm64_qemu_cpu_offered <qemu-aarch64>: whether that emulator offers the model.
arm64_qemu_cpu_offered() {
  local models
  models=$("$1" -cpu help 2>/dev/null || true)  # it lists them, then exits with 1
  grep -qw "$(arm64_qemu_cpu)" <<<"$models"
}
