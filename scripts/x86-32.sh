# Sourced. Whether this machine runs 32-bit x86 code, which Wine needs (wine32) to run
# 32-bit Windows programs, and the emulated route where the kernel does not.

source "$(dirname "${BASH_SOURCE[0]}")/qemu-user.sh"

# x86_32_runs: true when a tiny 32-bit Linux program (exit status 42) runs here. The
# kernel's version says nothing: some 64-bit kernels are built or booted without it.
x86_32_runs() {
  local probe="$verimark_cache/probe-i386"
  mkdir -p "$verimark_cache"
  if [[ ! -x $probe ]]; then
    # ELF header, one loadable segment, then: mov eax,1; mov ebx,42; int 0x80.
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\273\052\000\000\000\315\200' >"$probe.new"
    chmod +x "$probe.new" && mv "$probe.new" "$probe"
  fi
  local status=0
  "$probe" 2>/dev/null || status=$?
  [[ $status -eq 42 ]]
}

# x86_32_emulate: lets qemu-i386 run 32-bit x86 programs. Returns non-zero when it cannot.
x86_32_emulate() {
  local bin
  bin=$(qemu_user_fetch) || return 1
  qemu_user_register verimark-i386 \
    '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00' \
    '\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff' \
    "$bin/qemu-i386"
}

# x86_32_ready: 32-bit code runs and the i686 root, whose Wine runs it, is ready.
x86_32_ready() { x86_32_runs && bash "$verimark_root/scripts/x86-32-root.sh" --check >/dev/null 2>&1; }

# x86_32_emulated: whether it is qemu-i386 that runs it (then real time passes slower).
x86_32_emulated() { qemu_user_registered verimark-i386; }

# Why the i686 suite cannot run, as setup found it: kept in the cache for the test run's
# summary, one line.
x86_32_reason_file="$verimark_cache/i686-unavailable"

# x86_32_unavailable <reason>: setup says it and keeps it.
x86_32_unavailable() {
  mkdir -p "$verimark_cache"
  echo "$1" >"$x86_32_reason_file"
  echo "setup: $1: the i686 suite cannot run"
}

# x86_32_why_not: the reason the i686 suite cannot run on this machine now.
x86_32_why_not() {
  if [[ -s $x86_32_reason_file ]]; then
    head -n 1 "$x86_32_reason_file"
  elif ! x86_32_runs; then
    echo "this machine runs no 32-bit x86 code"
  else
    echo "no i686 root (scripts/setup.sh makes it)"
  fi
}
