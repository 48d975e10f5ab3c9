#!/usr/bin/env bash
# Builds the shipped binaries and packages of the current commit twice, in two folders of
# different names, one after the other, and compares them: each artifact's SHA-256 and
# "identical", or the first offset where the two differ. Exits 1 on any difference.
#   scripts/reproduce.sh [--first-is-this-tree] [x86_64] [i686] [aarch64]
# (default: x86_64 i686, which the x64 and x86 packages take). With --first-is-this-tree,
# the checkout's own build, when it is of the commit as it stands (nothing changed) and
# holds every artifact, is the first of the two: the test run has just built it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
root=$verimark_root
this_tree=no
if [[ ${1:-} == --first-is-this-tree ]]; then this_tree=yes; shift; fi
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

# What is compared: both binaries of each tree, and the two packages when both trees are built.
artifacts=()
for arch in $archs; do artifacts+=("build/$arch/tool/Verimark.exe" "build/$arch/com/TVKVerimarkMod.dll"); done
if [[ " $archs " == *" x86_64 "* && " $archs " == *" i686 "* ]]; then
  version=$(sed -n 's/^project(Verimark VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
  artifacts+=("build/packages/Verimark-$version-x64.msi" "build/packages/Verimark-$version-x86.msi")
fi
# This tree counts as a build of the commit only when nothing in it differs from the
# commit and its packages, if any, were made from the binaries it holds now.
usable() {
  [[ $this_tree == yes && -z $(git -C "$root" status --porcelain --untracked-files=no) ]] || return 1
  local artifact binary arch
  for arch in $archs; do [[ "$(cat "$root/build/$arch/.built-commit" 2>/dev/null)" == "$commit" ]] || return 1; done
  for artifact in "${artifacts[@]}"; do
    [[ -f "$root/$artifact" ]] || return 1
    [[ $artifact == *.msi ]] || continue
    for binary in "${artifacts[@]}"; do
      [[ $binary == *.msi || "$root/$artifact" -nt "$root/$binary" ]] || return 1
    done
  done
}

started=$SECONDS
if usable; then
  first=$root
  echo "reproduce: the first build is this tree's own"
else
  first="$work/first/verimark"
  build "$first"
  sleep 2  # another second on the clock, whatever the clock says
fi
second="$work/second/a-folder-of-another-name"
build "$second"
echo "reproduce: built in $((SECONDS - started)) s"

status=0
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
