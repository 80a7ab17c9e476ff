# A throwaway public-key infrastructure for the signing tests, made afresh
# in a directory at test time; no key is ever committed. Sourced:
#
#   make_pki DIR
#
# leaves in DIR: root.pem (a CA), other-root.pem (an unrelated CA),
# signer.pem/.key (code signing, issued by root), web.pem/.key (issued by
# root, for TLS servers only), signer.p12 with password.txt, and a SoftHSM
# token holding the signer's key (softhsm2.conf, pin.txt, $pkcs11_uri,
# $pkcs11_module).

pkcs11_module=/usr/lib/softhsm/libsofthsm2.so
pkcs11_uri='pkcs11:token=hvlaunch-test;object=signer;type=private'

make_pki() {
    local dir=$1
    mkdir -p "$dir/tokens"
    cat >"$dir/extensions.cnf" <<'CNF'
[codesign]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
[web]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
CNF
    local name subject
    for name in root other-root; do
        subject="/CN=HvLaunch Test ${name^}"
        openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/$name.key" -out "$dir/$name.pem" \
            -days 2 -subj "$subject" -addext 'basicConstraints=critical,CA:true' \
            -addext 'keyUsage=critical,keyCertSign,cRLSign' 2>/dev/null
    done
    local serial=1
    for name in signer:codesign web:web; do
        serial=$((serial + 1))
        openssl req -newkey rsa:2048 -nodes -keyout "$dir/${name%:*}.key" -out "$dir/${name%:*}.csr" \
            -subj "/O=Halvorn Tech/CN=Halvorn Tech Test ${name%:*}" 2>/dev/null
        openssl x509 -req -in "$dir/${name%:*}.csr" -CA "$dir/root.pem" -CAkey "$dir/root.key" \
            -set_serial $serial -days 1 -extfile "$dir/extensions.cnf" -extensions "${name#*:}" \
            -out "$dir/${name%:*}.pem" 2>/dev/null
    done
    printf 'a pass phrase with blanks\n' >"$dir/password.txt"
    openssl pkcs12 -export -in "$dir/signer.pem" -inkey "$dir/signer.key" -certfile "$dir/root.pem" \
        -passout "file:$dir/password.txt" -out "$dir/signer.p12"

    printf 'directories.tokendir = %s/tokens\nobjectstore.backend = file\nlog.level = ERROR\n' \
        "$dir" >"$dir/softhsm2.conf"
    export SOFTHSM2_CONF=$dir/softhsm2.conf
    printf '424242\n' >"$dir/pin.txt"
    softhsm2-util --init-token --free --label hvlaunch-test --pin 424242 --so-pin 97531 >/dev/null
    openssl pkcs8 -topk8 -nocrypt -in "$dir/signer.key" -out "$dir/signer.pk8"
    softhsm2-util --import "$dir/signer.pk8" --token hvlaunch-test --label signer --id 01 \
        --pin 424242 >/dev/null
    rm -f "$dir/signer.pk8"
}
