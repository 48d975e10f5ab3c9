#!/usr/bin/env bash
# Builds the shipped binaries and packages of the current commit twice, in two folders of
# different names, one after the other, and compares them: each artifact's SHA-256 and
# "identical", or the first offset where the two differ. Exits 1 on any difference.
#   scripts/reproduce.sh [x86_64] [i686] [aarch64]   (default: x86_64 i686, which the x64 and x86 packages take)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
root=$verimark_root
archs=${*:-x86_64 i686}
work="$root/build/reproduce"
rm -rf "$work" && mkdir -p "$work/first" "$work/second"
commit=$(git -C "$root" rev-parse HEAD)
echo "reproduce: commit $commit, trees: $archs"

build() {
  local tree=$1 arch extra
  git clone -q "$root" "$tree"
  git -C "$tree" checkout -q "$commit"
  for arch in $archs; do
    extra=()
    [[ $arch == aarch64 ]] && extra=(-DVERIMARK_ARM64_TOOLCHAIN="$(bash "$root/scripts/arm64-toolchain.sh" --check)")
    (cd "$tree" && cmake --preset "$arch" --no-warn-unused-cli -DVERIMARK_BUILD_TESTS=OFF "${extra[@]}" >/dev/null)  # the presets' test settings go unused
    cmake --build "$tree/build/$arch" --target Verimark TVKVerimarkMod >/dev/null
  done
  if [[ " $archs " == *" x86_64 "* && " $archs " == *" i686 "* ]]; then
    (cd "$tree" && bash scripts/package.sh >/dev/null)
  fi
}

started=$SECONDS
build "$work/first/verimark"
sleep 2  # another second on the clock, whatever the clock says
build "$work/second/a-folder-of-another-name"
echo "reproduce: built twice in $((SECONDS - started)) s"

status=0
first="$work/first/verimark" second="$work/second/a-folder-of-another-name"
artifacts=()
for arch in $archs; do artifacts+=("build/$arch/tool/Verimark.exe" "build/$arch/com/TVKVerimarkMod.dll"); done
for msi in "$first"/build/packages/*.msi; do [[ -e $msi ]] && artifacts+=("build/packages/$(basename "$msi")"); done
for artifact in "${artifacts[@]}"; do
  a="$first/$artifact" b="$second/$artifact"
  if cmp -s "$a" "$b"; then
    echo "  $(sha256sum "$a" | cut -d' ' -f1)  $artifact  identical"
  else
    difference=$(cmp "$a" "$b" 2>&1 | head -n 1 || true)
    echo "  $artifact  DIFFERS: $difference"
    status=1
  fi
done
[[ $status == 0 ]] && rm -rf "$work"
exit $status
