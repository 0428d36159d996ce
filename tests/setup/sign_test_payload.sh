#!/bin/sh
# sign_test_payload.sh <out dir> <name=file>...
# Makes two code-signing certificates for the test alone, publishers A and B, and signs a
# copy of each file with each: <out>/A/<name>, <out>/B/<name>; <out>/tampered/<name> is A's
# copy with one byte changed after signing; <out>/<who>.key holds the SHA-256 of each
# publisher's public key (SubjectPublicKeyInfo, DER) in hex, as a sealed release carries
# it. The private keys are deleted once the copies are signed: nothing else can ever be
# signed with them.
set -eu
out=$1
shift
rm -rf "$out"
mkdir -p "$out/keys" "$out/A" "$out/B" "$out/tampered"
for who in A B; do
  openssl req -x509 -newkey rsa:2048 -nodes -days 30 -keyout "$out/keys/$who.key" \
    -out "$out/keys/$who.pem" -subj "/CN=VelluMax test publisher $who/O=Caldwyn" \
    -addext "basicConstraints=critical,CA:FALSE" -addext "keyUsage=critical,digitalSignature" \
    -addext "extendedKeyUsage=codeSigning" 2>/dev/null
  openssl pkcs12 -export -inkey "$out/keys/$who.key" -in "$out/keys/$who.pem" \
    -out "$out/keys/$who.pfx" -passout pass:test
  openssl x509 -in "$out/keys/$who.pem" -noout -pubkey | openssl pkey -pubin -outform DER |
    sha256sum | cut -c1-64 >"$out/$who.key"
done
for pair in "$@"; do
  name=${pair%%=*}
  file=${pair#*=}
  for who in A B; do
    osslsigncode sign -pkcs12 "$out/keys/$who.pfx" -pass test -h sha256 -n "VelluMax test" \
      -in "$file" -out "$out/$who/$name" >/dev/null
  done
  cp "$out/A/$name" "$out/tampered/$name"
  size=$(stat -c %s "$file")
  printf 'X' | dd of="$out/tampered/$name" bs=1 seek=$((size / 2)) conv=notrunc 2>/dev/null
done
rm -rf "$out/keys"
