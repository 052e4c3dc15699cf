#!/usr/bin/env bash
# Makes the throw-away certificates of the TLS tests in DIR:
#   ca.pem            a test CA (what the tests trust)
#   good.pem/.key     localhost and 127.0.0.1, issued by the CA
#   wrongname.pem/.key  wrong.invalid only, issued by the CA
#   expired.pem/.key  localhost, issued by the CA, expired in 2020
#   selfsigned.pem/.key  localhost, signed by itself
#   unknownca.pem/.key  localhost, issued by another CA that nobody trusts (and no server sends)
# Usage: make_certs.sh DIR
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"

openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 30 \
  -subj "/CN=Zorvel Test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null

# A minimal CA set-up for `openssl ca`, which alone can give a certificate a past validity.
mkdir -p ca.db
: >ca.db/index.txt
echo 01 >ca.db/serial
cat >ca.cnf <<'CNF'
[ca]
default_ca = test
[test]
dir = .
database = ca.db/index.txt
serial = ca.db/serial
new_certs_dir = ca.db
certificate = ca.pem
private_key = ca.key
default_md = sha256
policy = any
unique_subject = no
copy_extensions = copy
[any]
commonName = supplied
[server]
basicConstraints = CA:FALSE
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
CNF

# issue NAME CN SAN [ca-options...]
issue() {
  local name=$1 cn=$2 san=$3; shift 3
  openssl req -new -newkey rsa:2048 -nodes -keyout "$name.key" -out "$name.csr" \
    -subj "/CN=$cn" -addext "subjectAltName=$san" 2>/dev/null
  openssl ca -batch -config ca.cnf -extensions server -notext -in "$name.csr" -out "$name.pem" "$@" 2>/dev/null
}
issue good localhost "DNS:localhost,IP:127.0.0.1" -days 30
issue wrongname wrong.invalid "DNS:wrong.invalid" -days 30
issue expired localhost "DNS:localhost,IP:127.0.0.1" -startdate 20190101000000Z -enddate 20200101000000Z

openssl req -x509 -newkey rsa:2048 -nodes -keyout selfsigned.key -out selfsigned.pem -days 30 \
  -subj "/CN=localhost" -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" 2>/dev/null

openssl req -x509 -newkey rsa:2048 -nodes -keyout unknown-ca.key -out unknown-ca.pem -days 30 \
  -subj "/CN=Zorvel Unknown CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -new -newkey rsa:2048 -nodes -keyout unknownca.key -out unknownca.csr -subj "/CN=localhost" 2>/dev/null
printf 'basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\nsubjectAltName=DNS:localhost,IP:127.0.0.1\n' \
  >unknownca.ext
openssl x509 -req -in unknownca.csr -CA unknown-ca.pem -CAkey unknown-ca.key -CAcreateserial -days 30 \
  -extfile unknownca.ext -out unknownca.pem 2>/dev/null

# The CA in DER too, for stores that take it that way.
openssl x509 -in ca.pem -outform DER -out ca.der
