#!/bin/bash
# make-pki.sh <outdir> [sample.exe trust_root.exe]: throwaway test PKI (root CA,
# Corvane and other-publisher code-signing certs, a time-stamping cert). With
# the two programs it also signs the samples and trusts the root in Wine.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1; sample=${2:-}; trust=${3:-}
mkdir -p "$out"; cd "$out"
key() { openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$1" 2>/dev/null; }
key root.key
openssl req -x509 -new -key root.key -days 2 -subj "/CN=KX Test Root CA" -out root.pem \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
openssl x509 -in root.pem -outform DER -out root.der
leaf() {  # name subject eku
  key "$1.key"
  openssl req -new -key "$1.key" -subj "$2" -out "$1.csr"
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n' "$3" >"$1.ext"
  openssl x509 -req -in "$1.csr" -CA root.pem -CAkey root.key -CAcreateserial -days 2 \
    -extfile "$1.ext" -out "$1.pem" 2>/dev/null
}
leaf corvane "/CN=Corvane Network Co. Ltd." codeSigning
leaf other "/CN=Other Games Ltd." codeSigning
leaf tsa "/CN=KX Test Time Stamping" "critical,timeStamping"
openssl x509 -in corvane.pem -noout -serial | sed 's/^serial=//' | tr a-f A-F >corvane.serial
[ -n "$sample" ] || exit 0
sign() {  # out cert extra...
  local o=$1 c=$2; shift 2
  rm -f "$o"
  osslsigncode sign -certs "$c.pem" -key "$c.key" -h sha256 -n "KX Sample" \
    -i "https://corvane.example/info" "$@" -in "$sample" -out "$o" >/dev/null
}
sign corvane-ts.exe corvane -TSA-certs tsa.pem -TSA-key tsa.key
date -u +%s >corvane-ts.time
sign corvane.exe corvane
# A fixed 1.2.840.113549.1.9.5 signing time (2026-12-11 00:00:00 UTC), no time-stamp.
sign corvane-st.exe corvane -time 1796947200
# A legacy 1.2.840.113549.1.9.6 counter-signature at 2026-12-11 00:00:00 UTC.
openssl x509 -in tsa.pem -outform DER -out tsa.der
rm -f tsa.port
python3 "$here/legacy-tsa.py" "$PWD" "$PWD/tsa.port" 261211000000Z &
tsa_pid=$!
for _ in $(seq 100); do [ -f tsa.port ] && break; sleep 0.1; done
sign corvane-cs.exe corvane -t "http://127.0.0.1:$(cat tsa.port)" || { kill "$tsa_pid"; exit 1; }
kill "$tsa_pid"
sign other.exe other
# Publishers that differ from Corvane's only by case or by one character.
leaf lower "/CN=corvane network co. ltd." codeSigning
leaf nodot "/CN=Corvane Network Co. Ltd" codeSigning
leaf longer "/CN=Corvane Network Co. Ltd. " codeSigning
for c in lower nodot longer; do sign "$c.exe" "$c"; done
cp "$sample" unsigned.exe
cp corvane.exe tampered.exe
# Flip one byte inside the signed image (well past the headers).
off=2048
b=$(od -An -tu1 -j$off -N1 tampered.exe | tr -d ' ')
printf "$(printf '\\%03o' $(( (b ^ 0xFF) & 0xFF )))" | dd of=tampered.exe bs=1 seek=$off conv=notrunc 2>/dev/null
. "$here/../wine/wine-env.sh"
"$KX_WINE" "$trust" root.der
