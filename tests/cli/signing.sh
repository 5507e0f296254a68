# Sourced: kt_sign_copies SIGNEE DIR makes, in DIR, test certificates and copies of the program SIGNEE:
# signed.exe (chained to root.der, which the caller makes the prefix trust), untrusted.exe (chained to
# a root nobody trusts), changed.exe (signed, then a byte of its code changed), broken.exe (a byte of
# its signature changed), unsigned.exe, and, chained to root.der too, server.exe (a certificate for web
# servers only) and anyuse.exe (one that names no use). Needs openssl and osslsigncode.
kt_sign_copies() {
  local signee ca dir=$2
  signee=$(realpath "$1")
  (
    cd "$dir" || exit 1
    for ca in trusted stray; do
      openssl req -x509 -newkey rsa:2048 -nodes -keyout "$ca-ca.key" -out "$ca-ca.pem" -days 3650 \
        -subj "/CN=Kestrun Test $ca Root" -addext basicConstraints=critical,CA:TRUE \
        -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
      openssl req -newkey rsa:2048 -nodes -keyout "$ca.key" -out "$ca.csr" -subj "/CN=Kestrel $ca signer" 2>/dev/null
      printf 'extendedKeyUsage=codeSigning\nbasicConstraints=CA:FALSE\n' >"$ca.ext"
      openssl x509 -req -in "$ca.csr" -CA "$ca-ca.pem" -CAkey "$ca-ca.key" -CAcreateserial -days 3650 \
        -extfile "$ca.ext" -out "$ca.pem" 2>/dev/null
      cat "$ca.pem" "$ca-ca.pem" >"$ca-chain.pem"
    done
    openssl x509 -in trusted-ca.pem -outform der -out root.der
    cp "$signee" unsigned.exe
    osslsigncode sign -certs trusted-chain.pem -key trusted.key -in unsigned.exe -out signed.exe >/dev/null
    osslsigncode sign -certs stray-chain.pem -key stray.key -in unsigned.exe -out untrusted.exe >/dev/null
    printf 'extendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n' >server.ext
    printf 'basicConstraints=CA:FALSE\n' >anyuse.ext
    for use in server anyuse; do
      openssl req -newkey rsa:2048 -nodes -keyout "$use.key" -out "$use.csr" -subj "/CN=Kestrel $use" 2>/dev/null
      openssl x509 -req -in "$use.csr" -CA trusted-ca.pem -CAkey trusted-ca.key -CAcreateserial -days 3650 \
        -extfile "$use.ext" -out "$use.pem" 2>/dev/null
      cat "$use.pem" trusted-ca.pem >"$use-chain.pem"
      osslsigncode sign -certs "$use-chain.pem" -key "$use.key" -in unsigned.exe -out "$use.exe" >/dev/null
    done
    cp signed.exe changed.exe
    printf 'X' | dd of=changed.exe bs=1 seek=1100 conv=notrunc 2>/dev/null
    cp signed.exe broken.exe
    printf 'XXXX' | dd of=broken.exe bs=1 seek=$(($(stat -c %s signed.exe) - 300)) conv=notrunc 2>/dev/null
  )
}
