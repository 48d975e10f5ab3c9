#!/usr/bin/env bash
# Builds the release packages (Windows Installer, with wixl and msibuild) from the build trees:
#   Verimark-<version>-x64.msi    the x64 tool and server, and the 32-bit server for 32-bit hosts
#   Verimark-<version>-arm64.msi  the ARM64 tool and server, and the 32-bit server (when build/aarch64 is there)
#   Verimark-<version>-x86.msi    the 32-bit tool and server, for 32-bit Windows only
# and SHA256SUMS beside them; prints each package's product code and the upgrade codes.
# The version is the project's (project() in CMakeLists.txt); --version overrides it, for
# the upgrade tests only. Unsigned packages are bit for bit the same from one commit
# wherever and whenever they are built: times come from SOURCE_DATE_EPOCH (by default the
# last commit's), the product code from the version and platform, the package code from
# the package's content.
#   scripts/package.sh [--version X.Y.Z] [--out DIR] [--sign CERT.pfx [--password-file FILE] [--timestamp URL]]
# With --sign every .exe and .dll is signed before packaging and every .msi after
# (Authenticode, SHA-256, osslsigncode); the certificate's password comes from the file,
# or else from standard input, never from the command line.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
root=$verimark_root
version=$(sed -n 's/^project(Verimark VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
out="$root/build/packages"
certificate="" password_file="" timestamp=""
usage() { echo "usage: scripts/package.sh [--version X.Y.Z] [--out DIR] [--sign CERT.pfx [--password-file FILE] [--timestamp URL]]" >&2; exit 2; }
while (($#)); do
  case $1 in
    --version) version=${2:?}; shift 2 ;;
    --out) out=${2:?}; shift 2 ;;
    --sign) certificate=${2:?}; shift 2 ;;
    --password-file) password_file=${2:?}; shift 2 ;;
    --timestamp) timestamp=${2:?}; shift 2 ;;
    *) usage ;;
  esac
done
[[ -z $password_file && -z $timestamp || -n $certificate ]] || usage
for tool in wixl msibuild faketime; do
  command -v $tool >/dev/null || { echo "package: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done

# The platforms: what each takes from which tree. ARM64 only where its tree is among the
# targets (VERIMARK_ARCHS, VERIMARK_ARM64) and built: never from a stale tree.
platforms=(x64 x86)
if wants_arch aarch64 && [[ -f "$root/build/aarch64/tool/Verimark.exe" ]]; then
  platforms=(x64 arm64 x86)
else
  echo "package: the arm64 package is left out (no aarch64 among the targets, or no build/aarch64)" >&2
fi
tree64() { case $1 in x64) echo x86_64 ;; arm64) echo aarch64 ;; esac; }
for binary in build/x86_64/tool/Verimark.exe build/x86_64/com/TVKVerimarkMod.dll \
              build/i686/tool/Verimark.exe build/i686/com/TVKVerimarkMod.dll; do
  [[ -f "$root/$binary" ]] || { echo "package: $binary is missing: build first (scripts/build.sh)" >&2; exit 1; }
done

epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
# wixl and msibuild write the time they run: under faketime it is the source's.
at_source_time() { TZ=UTC faketime -f "$(date -u -d "@$epoch" '+%Y-%m-%d %H:%M:%S')" "$@"; }
# A GUID (name-based, version 5 form) from a text.
guid() {
  local h
  h=$(printf '%s' "$1" | sha256sum | cut -c1-32)
  printf '{%s-%s-5%s-%x%s-%s}' "${h:0:8}" "${h:8:4}" "${h:13:3}" $(((0x${h:16:1} & 3) | 8)) "${h:17:3}" "${h:20:12}" |
    tr a-f A-F
}
# As installer/Verimark.wxs names them: x64, then arm64, then the others (x86).
upgrade_code() {
  local codes
  codes=$(grep -o 'UpgradeCode = "{[0-9A-F-]*}"' "$root/installer/Verimark.wxs" | grep -o '{[0-9A-F-]*}')
  case $1 in x64) sed -n 1p <<<"$codes" ;; arm64) sed -n 2p <<<"$codes" ;; *) sed -n 3p <<<"$codes" ;; esac
}

password=""
cleanup() { [[ -n $password ]] && rm -f "$password"; return 0; }
trap cleanup EXIT
if [[ -n $certificate ]]; then
  command -v osslsigncode >/dev/null || { echo "package: osslsigncode is missing" >&2; exit 1; }
  password=$(mktemp)
  chmod 600 "$password"
  if [[ -n $password_file ]]; then
    cat "$password_file" >"$password"
  else
    IFS= read -r line || true
    printf '%s' "$line" >"$password"
  fi
fi
# Signs a file in place: Authenticode, SHA-256.
sign() {
  local file=$1 extra=()
  [[ -n $timestamp ]] && extra=(-ts "$timestamp")
  osslsigncode sign -pkcs12 "$certificate" -readpass "$password" -h sha256 -n "Verimark" "${extra[@]}" \
    -in "$file" -out "$file.signed" >/dev/null
  mv "$file.signed" "$file"
}

stage="$out/stage-$version"
rm -rf "$stage" && mkdir -p "$stage/x86" "$stage/generated-64" "$stage/generated-x86"
cp "$root/build/i686/tool/Verimark.exe" "$root/build/i686/com/TVKVerimarkMod.dll" "$stage/x86/"
for platform in "${platforms[@]}"; do
  [[ $platform == x86 ]] && continue
  mkdir -p "$stage/$platform"
  cp "$root/build/$(tree64 "$platform")/tool/Verimark.exe" "$root/build/$(tree64 "$platform")/com/TVKVerimarkMod.dll" \
    "$stage/$platform/"
done
cp "$root/installer/Verimark.wxs" "$stage/"
rows() { cmake "$@" -P "$root/installer/ComRegistration.cmake"; }
rows -DFILE_ID=Server64 -DFOLDER=INSTALLFOLDER -DBITS=64 -DOUT="$stage/generated-64/ComRows64"
rows -DFILE_ID=Server32 -DFOLDER=INSTALLFOLDER32 -DBITS=32 -DSHARED=OFF -DOUT="$stage/generated-64/ComRows32"
rows -DFILE_ID=Server32 -DFOLDER=INSTALLFOLDER -DBITS=32 -DOUT="$stage/generated-x86/ComRows32"
if [[ -n $certificate ]]; then
  for binary in "$stage"/*/*.exe "$stage"/*/*.dll; do sign "$binary"; done
fi
# The cabinet keeps each file's time: the source's.
find "$stage" -exec touch -h -d "@$epoch" {} +

# wixl warns of what it drops silently: every warning is a failure here.
build() {
  local platform=$1 msi=$2 arch=x64 bin64=$1 generated=generated-64 warnings
  [[ $platform == x86 ]] && arch=x86 bin64=x86 generated=generated-x86
  (cd "$stage" && at_source_time wixl -a "$arch" -D Version="$version" -D Platform="$platform" -D Arch="$arch" \
     -D ProductCode="$(guid "Verimark product $version $platform")" -D Bin64="$bin64" -D Bin32=x86 \
     -D Generated="$generated" -o "$msi" Verimark.wxs) 2>"$stage/wixl-$platform.log"
  warnings=$(cat "$stage/wixl-$platform.log")
  [[ -z $warnings ]] || { echo "package: wixl warned for $platform:" >&2; echo "$warnings" >&2; exit 1; }
}

query() { at_source_time msibuild "$1" -q "$2"; }
# The condition under which a folder property is not a plain path inside the given folder.
not_inside() {
  local folder=$1 programs=$2
  printf '%s' "NOT ($folder ~<< $programs) OR $folder >< \"\\..\\\" OR $folder >< \"\\.\\\" OR $folder >< \"/\" OR $folder >< \"\\\\\""
}
# What wixl cannot write: keys without values, the PATH entry, the refusals, the platform.
finish() {
  local msi=$1 platform=$2 sql folder=INSTALLFOLDER programs=ProgramFiles64Folder generated=generated-64
  [[ $platform == x86 ]] && programs=ProgramFilesFolder generated=generated-x86
  while IFS= read -r sql; do
    [[ -n $sql ]] && query "$msi" "$sql"
  done < <(cat "$stage/$generated"/*.sql)
  query "$msi" "CREATE TABLE \`Environment\` (\`Environment\` CHAR(72) NOT NULL, \`Name\` CHAR(255) NOT NULL LOCALIZABLE, \`Value\` CHAR(255) LOCALIZABLE, \`Component_\` CHAR(72) NOT NULL PRIMARY KEY \`Environment\`)"
  # "=-*PATH": set at install, removed at uninstall, in the system's environment;
  # "[~];": appended to what PATH holds.
  query "$msi" "INSERT INTO \`Environment\` (\`Environment\`, \`Name\`, \`Value\`, \`Component_\`) VALUES ('PathEntry', '=-*PATH', '[~];[$folder]', 'PathEntry')"
  query "$msi" "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteEnvironmentStrings', 5200)"
  query "$msi" "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveEnvironmentStrings', 3300)"
  # The tool's folder goes on the system PATH, so it must be one only administrators can
  # change: an install folder outside Program Files is refused (a type-19 action, after
  # the folders are resolved).
  # The test is on the text: a folder is taken only in its plain form (no "." or ".."
  # step, no "/", no doubled separator), so that its start names where it really is.
  local refused="INSTALLFOLDER must be inside the Program Files folder (where only administrators may write), in its plain form (no . or .. steps, no / and no doubled separator), since that folder is put on the system PATH."
  local outside="NOT Installed AND ($(not_inside INSTALLFOLDER "$programs"))"
  [[ $platform != x86 ]] &&
    outside="NOT Installed AND ($(not_inside INSTALLFOLDER ProgramFiles64Folder) OR $(not_inside INSTALLFOLDER32 ProgramFilesFolder))"
  query "$msi" "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('RefuseInstallFolderOutsideProgramFiles', 19, '', '$refused')"
  query "$msi" "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Condition\`, \`Sequence\`) VALUES ('RefuseInstallFolderOutsideProgramFiles', '$outside', 1001)"
  # The install folders get permissions of their own, inherited from nothing: full control
  # for SYSTEM and the Administrators, read and execute for the Users (0x1200a9).
  local sddl="D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)" locked=INSTALLFOLDER
  [[ $platform != x86 ]] && locked="INSTALLFOLDER INSTALLFOLDER32"
  query "$msi" "CREATE TABLE \`MsiLockPermissionsEx\` (\`MsiLockPermissionsEx\` CHAR(72) NOT NULL, \`LockObject\` CHAR(72) NOT NULL, \`Table\` CHAR(32) NOT NULL, \`SDDL\` LONGCHAR NOT NULL, \`Condition\` CHAR(255) PRIMARY KEY \`MsiLockPermissionsEx\`)"
  for folder in $locked; do
    query "$msi" "INSERT INTO \`MsiLockPermissionsEx\` (\`MsiLockPermissionsEx\`, \`LockObject\`, \`Table\`, \`SDDL\`) VALUES ('Lock$folder', '$folder', 'CreateFolder', '$sddl')"
  done
  if [[ $platform == x86 ]]; then
    # For 32-bit Windows only: on 64-bit Windows it would put its 32-bit server where the
    # x64 (or ARM64) package keeps its own.
    query "$msi" "INSERT INTO \`LaunchCondition\` (\`Condition\`, \`Description\`) VALUES ('NOT VersionNT64', 'This package is for 32-bit Windows. On 64-bit Windows install Verimark-$version-x64.msi, or Verimark-$version-arm64.msi on ARM64.')"
  fi
  local template="x64;1033"
  [[ $platform == x86 ]] && template="Intel;1033"
  [[ $platform == arm64 ]] && template="Arm64;1033"
  local subject="Verimark compliance tool and TVKVerimarkMod automation server"
  at_source_time msibuild "$msi" -s "$subject" "Quorlan" "$template" "{00000000-0000-0000-0000-000000000000}"
  # The package code, last: from everything else the package holds.
  at_source_time msibuild "$msi" -s "$subject" "Quorlan" "$template" "$(guid "Verimark package $(sha256sum <"$msi")")"
}

mkdir -p "$out"
rm -f "$out"/Verimark-"$version"-*.msi "$out/SHA256SUMS"
for platform in "${platforms[@]}"; do
  msi="$out/Verimark-$version-$platform.msi"
  build "$platform" "$msi"
  finish "$msi" "$platform"
  [[ -n $certificate ]] && sign "$msi"
done
(cd "$out" && for platform in "${platforms[@]}"; do sha256sum "Verimark-$version-$platform.msi"; done >SHA256SUMS)
echo "Packages (version $version$([[ -n $certificate ]] && echo ", signed")):"
for platform in "${platforms[@]}"; do
  f="Verimark-$version-$platform.msi"
  echo "  $out/$f  $(stat -c %s "$out/$f") bytes"
  echo "    sha256        $(grep " $f\$" "$out/SHA256SUMS" | cut -d' ' -f1)"
  echo "    product code  $(guid "Verimark product $version $platform")"
  echo "    upgrade code  $(upgrade_code "$platform")"
done
echo "  $out/SHA256SUMS"
