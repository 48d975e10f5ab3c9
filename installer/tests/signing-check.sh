#!/usr/bin/env bash
# Authenticode signing of the release, as CI checks it: a throwaway self-signed code-signing
# certificate, the packages built signed (the password on standard input), every binary
# and package verified against that certificate, and one changed byte refused.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work="$root/build/installer-tests/signing"
rm -rf "$work" && mkdir -p "$work"
fail() { echo "signing-check: FAILED: $*"; exit 1; }
cd "$work"

password=$(openssl rand -hex 16)
openssl req -x509 -newkey rsa:3072 -nodes -keyout key.pem -out cert.pem -days 2 -subj "/CN=Verimark test signing" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=critical,codeSigning" 2>/dev/null
printf '%s' "$password" >password.txt
openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.pfx -passout file:password.txt 2>/dev/null
rm -f password.txt key.pem

printf '%s\n' "$password" | bash "$root/scripts/package.sh" --sign cert.pfx --out "$work/packages" >package.log ||
  { cat package.log; fail "signed packaging"; }
grep -q "signed" package.log || fail "package.sh did not say the packages are signed"

verified=0
for artifact in packages/stage-*/*/*.exe packages/stage-*/*/*.dll packages/*.msi; do
  osslsigncode verify -CAfile cert.pem -in "$artifact" >verify.log 2>&1 || { cat verify.log; fail "$artifact does not verify"; }
  grep -q "Signature verification: ok" verify.log || { cat verify.log; fail "$artifact: no good signature"; }
  verified=$((verified + 1))
done
((verified >= 8)) || fail "only $verified artifacts were signed and verified"

# One byte changed in the signed content: the signature no longer holds.
tool=$(ls packages/stage-*/x64/Verimark.exe)
cp "$tool" tampered.exe
offset=$(($(stat -c %s tampered.exe) / 3))
printf '\x5a' | dd of=tampered.exe bs=1 seek="$offset" conv=notrunc status=none
cmp -s "$tool" tampered.exe && fail "the byte did not change"
if osslsigncode verify -CAfile cert.pem -in tampered.exe >tampered.log 2>&1; then
  cat tampered.log
  fail "a changed binary still verifies"
fi
echo "signing-check: $verified binaries and packages signed and verified; a changed byte is refused"
