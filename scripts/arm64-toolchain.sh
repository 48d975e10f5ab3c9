#!/usr/bin/env bash
# Builds, once per machine, a MinGW toolchain for Windows on ARM64 (aarch64-w64-mingw32)
# from Debian's archive alone, the way the public llvm-mingw project builds its own:
# Debian's clang, lld and llvm 16, with mingw-w64's headers and CRT and LLVM's runtimes
# (compiler-rt builtins, libunwind, libc++abi, libc++) built from Debian's source packages.
#
# The result goes to the cache, keyed by the versions it is made of; a second run finds it
# and does nothing. Prints the toolchain's directory on standard output, and one progress
# line per stage on standard error (the compilers' output goes to a log in the cache).
#   arm64-toolchain.sh           builds it where it is missing (scripts/setup.sh does)
#   arm64-toolchain.sh --check   only says where it is, or that it is missing
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
llvm=/usr/lib/llvm-16/bin
triple=aarch64-w64-mingw32
say() { echo "arm64 toolchain: $*" >&2; }

# Where the toolchain of the installed clang-16 and mingw-w64 is, built or not. The
# recipe's number changes when what it builds changes, so that every machine builds anew.
recipe=2
toolchain_dir() {
  local clang_version mingw_version
  clang_version=$(dpkg-query -W -f='${Version}' clang-16 2>/dev/null) || return 1
  mingw_version=$(dpkg-query -W -f='${Version}' mingw-w64-common 2>/dev/null || echo unknown)
  echo "$verimark_cache/llvm-mingw-aarch64-$recipe-${clang_version//[:~+]/_}-mingw-${mingw_version//[:~+]/_}"
}

if [[ ${1:-} == --check ]]; then
  dir=$(toolchain_dir) && is_complete "$dir" && { echo "$dir"; exit 0; }
  say "not built: scripts/setup.sh builds it (or leave ARM64 out with VERIMARK_ARM64=off)"
  exit 1
fi

# Clang 14, Debian's default, is too old for libc++ 16. --no-upgrade: nothing else moves.
if [[ ! -x $llvm/clang || ! -x $llvm/ld.lld || ! -x $llvm/llvm-dlltool ]]; then
  say "installing clang-16, lld-16 and llvm-16"
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-upgrade --no-install-recommends \
    clang-16 lld-16 llvm-16 >/dev/null
fi

build_toolchain() {
  local root=$1 log="$verimark_cache/arm64-toolchain.log" work jobs no_paths clang_version mingw_version
  clang_version=$(dpkg-query -W -f='${Version}' clang-16)
  mingw_version=$(dpkg-query -W -f='${Version}' mingw-w64-common 2>/dev/null || echo unknown)
  work=$(mktemp -d "$verimark_cache/arm64-build.XXXXXX")
  : >"$log"
  # Expanded now: the trap runs after this function's locals are gone.
  trap "rm -rf '$work'" EXIT
  jobs=$(nproc)
  # The CRT and runtimes end up in every ARM64 binary, with their sources' and headers'
  # paths: neither the scratch folder's name (random) nor the cache's (per user and
  # machine) may, or no two machines would build the same bytes.
  no_paths="-ffile-prefix-map=$work=/usr/src/verimark-arm64-toolchain -ffile-prefix-map=$root=/usr/verimark-arm64-toolchain"
  # The source packages come through a private list for the archive the system uses.
  private_apt sources "deb-src http://deb.debian.org/debian bookworm main"

  say "fetching the sources of mingw-w64 and llvm-toolchain-16"
  logged "$log" apt-get "${private_apt[@]}" -qq update
  (cd "$work" && logged "$log" apt-get "${private_apt[@]}" -qq source --download-only \
    "mingw-w64=${mingw_version}" "llvm-toolchain-16=${clang_version}")
  tar -xjf "$work"/mingw-w64_*.orig.tar.bz2 -C "$work"
  mingw_src=$(ls -d "$work"/mingw-w64-v*)
  tar -xJf "$work"/llvm-toolchain-16_*.orig.tar.xz -C "$work" --wildcards --no-wildcards-match-slash \
    '*/cmake' '*/compiler-rt' '*/libcxx' '*/libcxxabi' '*/libunwind' '*/runtimes' '*/llvm/cmake' '*/llvm/utils' \
    '*/third-party'
  llvm_src=$(ls -d "$work"/llvm-toolchain-16_*/)

  # Built where it will stay (the wrappers name it).
  mkdir -p "$root/bin" "$root/$triple" "$root/lib/clang/16/lib/windows"
  # Debian's resource directory belongs to its package: a private one shares its headers.
  ln -s "$(ls -d /usr/lib/llvm-16/lib/clang/16*/include | head -n 1)" "$root/lib/clang/16/include"
  # Clang resolves its own real path, so the wrappers are scripts, not links. The linking
  # options go only to a run that links (clang warns of them as unused otherwise). libc++abi
  # is a static library here: its header must not declare its functions dllimport.
  for tool in clang clang++; do
    language=
    [[ $tool == clang++ ]] && language="-stdlib=libc++ -D_LIBCXXABI_DISABLE_VISIBILITY_ANNOTATIONS"
    cat >"$root/bin/$triple-$tool" <<EOF
#!/bin/sh
link="-rtlib=compiler-rt -unwindlib=libunwind -fuse-ld=lld"
for argument in "\$@"; do
  case "\$argument" in -c|-S|-E|-M|-MM) link= ;; esac
done
exec $llvm/$tool --target=$triple --sysroot="$root" -resource-dir="$root/lib/clang/16" $language \$link "\$@"
EOF
    chmod +x "$root/bin/$triple-$tool"
  done
  cat >"$root/bin/$triple-windres" <<EOF
#!/bin/sh
exec $llvm/llvm-windres --target=$triple -I "$root/$triple/include" "\$@"
EOF
  chmod +x "$root/bin/$triple-windres"
  for tool in ar ranlib nm objdump strip dlltool readobj; do
    ln -s "$llvm/llvm-$tool" "$root/bin/$triple-$tool"
  done
  export PATH="$root/bin:$PATH"

  say "mingw-w64 headers"
  mkdir -p "$work/headers" && cd "$work/headers"
  logged "$log" "$mingw_src/mingw-w64-headers/configure" --host=$triple --prefix="$root/$triple" --enable-idl \
    --with-default-msvcrt=ucrt
  logged "$log" make install

  say "mingw-w64 CRT"
  mkdir -p "$work/crt" && cd "$work/crt"
  logged "$log" "$mingw_src/mingw-w64-crt/configure" --host=$triple --prefix="$root/$triple" --disable-lib32 --disable-lib64 \
    --enable-libarm64 --with-default-msvcrt=ucrt CC=$triple-clang CXX=$triple-clang++ AR=$triple-ar \
    RANLIB=$triple-ranlib DLLTOOL=$triple-dlltool CFLAGS="-g -O2 $no_paths" CXXFLAGS="-g -O2 $no_paths"
  logged "$log" make -j"$jobs"
  logged "$log" make install

  cmake_common=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=aarch64
                -DCMAKE_C_COMPILER=$triple-clang -DCMAKE_CXX_COMPILER=$triple-clang++ -DCMAKE_AR="$llvm/llvm-ar"
                -DCMAKE_RANLIB="$llvm/llvm-ranlib" -DCMAKE_C_COMPILER_WORKS=1 -DCMAKE_CXX_COMPILER_WORKS=1
                -DCMAKE_C_COMPILER_TARGET=$triple -DCMAKE_CXX_COMPILER_TARGET=$triple
                -DCMAKE_C_FLAGS="$no_paths" -DCMAKE_CXX_FLAGS="$no_paths" -DCMAKE_ASM_FLAGS="$no_paths")

  say "compiler-rt builtins"
  logged "$log" cmake -S "$llvm_src/compiler-rt/lib/builtins" -B "$work/builtins" "${cmake_common[@]}" \
    -DCOMPILER_RT_DEFAULT_TARGET_ONLY=TRUE -DCOMPILER_RT_USE_BUILTINS_LIBRARY=TRUE \
    -DCMAKE_INSTALL_PREFIX="$root/lib/clang/16" -DLLVM_ENABLE_PER_TARGET_RUNTIME_DIR=OFF
  logged "$log" cmake --build "$work/builtins"
  logged "$log" cmake --install "$work/builtins"

  say "libunwind, libc++abi and libc++ (static)"
  logged "$log" cmake -S "$llvm_src/runtimes" -B "$work/runtimes" "${cmake_common[@]}" \
    -DLLVM_ENABLE_RUNTIMES="libunwind;libcxxabi;libcxx" -DCMAKE_INSTALL_PREFIX="$root/$triple" \
    -DLLVM_ENABLE_PER_TARGET_RUNTIME_DIR=OFF -DLIBUNWIND_USE_COMPILER_RT=ON -DLIBUNWIND_ENABLE_SHARED=OFF \
    -DLIBCXXABI_USE_COMPILER_RT=ON -DLIBCXXABI_USE_LLVM_UNWINDER=ON -DLIBCXXABI_ENABLE_SHARED=OFF \
    -DLIBCXX_USE_COMPILER_RT=ON -DLIBCXX_ENABLE_SHARED=OFF -DLIBCXX_ENABLE_STATIC_ABI_LIBRARY=TRUE \
    -DLIBCXX_CXX_ABI=libcxxabi -DLIBCXX_INCLUDE_TESTS=OFF -DLIBCXX_INCLUDE_BENCHMARKS=OFF \
    -DLIBCXXABI_INCLUDE_TESTS=OFF -DLIBUNWIND_INCLUDE_TESTS=OFF -DLIBCXX_ENABLE_ABI_LINKER_SCRIPT=OFF
  logged "$log" cmake --build "$work/runtimes"
  logged "$log" cmake --install "$work/runtimes"

  say "ready in $root"
}

once_per_machine "$(toolchain_dir)" build_toolchain
