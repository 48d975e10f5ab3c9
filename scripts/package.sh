#!/usr/bin/env bash
# Builds the release packages (Windows Installer, with wixl) from the build trees:
#   Verimark-<version>-x64.msi  the x64 tool and server, and the 32-bit server for 32-bit hosts
#   Verimark-<version>-x86.msi  the 32-bit tool and server, for 32-bit Windows
# and prints where they are with their SHA-256 sums. The version is the project's
# (project() in CMakeLists.txt); --version overrides it, for the upgrade tests only.
#   scripts/package.sh [--version X.Y.Z] [--out DIR]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
version=$(sed -n 's/^project(Verimark VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
out="$root/build/packages"
while (($#)); do
  case $1 in
    --version) version=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: scripts/package.sh [--version X.Y.Z] [--out DIR]" >&2; exit 2 ;;
  esac
done
for tool in wixl msibuild; do
  command -v $tool >/dev/null || { echo "package: $tool is missing (apt-get install wixl msitools)" >&2; exit 1; }
done
for binary in build/x86_64/tool/Verimark.exe build/x86_64/com/TVKVerimarkMod.dll \
              build/i686/tool/Verimark.exe build/i686/com/TVKVerimarkMod.dll; do
  [[ -f "$root/$binary" ]] || { echo "package: $binary is missing: build first (scripts/build.sh)" >&2; exit 1; }
done

stage="$out/stage-$version"
rm -rf "$stage" && mkdir -p "$stage/x64" "$stage/x86" "$stage/generated-x64" "$stage/generated-x86"
cp "$root/build/x86_64/tool/Verimark.exe" "$root/build/x86_64/com/TVKVerimarkMod.dll" "$stage/x64/"
cp "$root/build/i686/tool/Verimark.exe" "$root/build/i686/com/TVKVerimarkMod.dll" "$stage/x86/"
cp "$root/installer/Verimark.wxs" "$stage/"
rows() { cmake "$@" -P "$root/installer/ComRegistration.cmake"; }
rows -DFILE_ID=Server64 -DFOLDER=INSTALLFOLDER -DBITS=64 -DOUT="$stage/generated-x64/ComRows64"
rows -DFILE_ID=Server32 -DFOLDER=INSTALLFOLDER32 -DBITS=32 -DSHARED=OFF -DOUT="$stage/generated-x64/ComRows32"
rows -DFILE_ID=Server32 -DFOLDER=INSTALLFOLDER -DBITS=32 -DOUT="$stage/generated-x86/ComRows32"

# wixl warns of what it drops silently: every warning is a failure here.
build() {
  local arch=$1 msi=$2 warnings
  (cd "$stage" && wixl -a "$arch" -D Version="$version" -D Arch="$arch" -D Bin64=x64 -D Bin32=x86 \
     -D Generated="generated-$arch" -o "$msi" Verimark.wxs) 2>"$stage/wixl-$arch.log"
  warnings=$(cat "$stage/wixl-$arch.log")
  [[ -z $warnings ]] || { echo "package: wixl warned for $arch:" >&2; echo "$warnings" >&2; exit 1; }
}

# What wixl cannot write: keys without values, and the PATH entry.
finish() {
  local msi=$1 arch=$2 sql folder=INSTALLFOLDER
  while IFS= read -r sql; do
    [[ -n $sql ]] && msibuild "$msi" -q "$sql"
  done < <(cat "$stage/generated-$arch"/*.sql)
  msibuild "$msi" -q "CREATE TABLE \`Environment\` (\`Environment\` CHAR(72) NOT NULL, \`Name\` CHAR(255) NOT NULL LOCALIZABLE, \`Value\` CHAR(255) LOCALIZABLE, \`Component_\` CHAR(72) NOT NULL PRIMARY KEY \`Environment\`)"
  # "=-*PATH": set at install, removed at uninstall, in the system's environment;
  # "[~];": appended to what PATH holds.
  msibuild "$msi" -q "INSERT INTO \`Environment\` (\`Environment\`, \`Name\`, \`Value\`, \`Component_\`) VALUES ('PathEntry', '=-*PATH', '[~];[$folder]', 'PathEntry')"
  msibuild "$msi" -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteEnvironmentStrings', 5200)"
  msibuild "$msi" -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveEnvironmentStrings', 3300)"
}

mkdir -p "$out"
for arch in x64 x86; do
  msi="$out/Verimark-$version-$arch.msi"
  rm -f "$msi"
  build $arch "$msi"
  finish "$msi" $arch
done
echo "Packages (version $version):"
(cd "$out" && for arch in x64 x86; do
   f="Verimark-$version-$arch.msi"
   echo "  $out/$f  $(stat -c %s "$f") bytes"
   echo "    sha256 $(sha256sum "$f" | cut -d' ' -f1)"
 done)
