#!/usr/bin/env bash
# Signing and verifying a release, offline, with a throwaway CA: each kind
# of key signs, verify-release proves each result against a fresh build,
# tampering and wrong keys are caught, and no failure leaves OUT behind.
#
#   release_test.sh SOURCE-DIR
set -euo pipefail
source_dir=$(realpath "${1:?source directory}")
source "$source_dir/tests/release/pki.sh"
cd "$source_dir"

scratch=$(mktemp -d /tmp/hvlaunch-release-test.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
make_pki "$scratch/pki"
pki=$scratch/pki
commit=$(git rev-parse HEAD)
# A build of the commit itself, so that verify-release's build of the
# checkout must give these bytes, also while the tree has local changes.
unsigned=$(scripts/fresh-build "$scratch/build" "$commit")

source "$source_dir/tests/check.sh"
has() { grep -qF -- "$2" "$1"; }
absent() { [ ! -e "$1" ] && ! ls -A "$(dirname "$1")" | grep -qF ".$(basename "$1")."; }
signed_by="signed by /O=Halvorn Tech/CN=Halvorn Tech Test signer, identical to a build of $commit"

# Each kind of key: the signature verifies, and beneath it are the bytes of
# the reproducible build.
pem=(--url https://halvorn.example/drivers --certs "$pki/signer.pem" --key "$pki/signer.key")
p12=(--pkcs12 "$pki/signer.p12" --password-file "$pki/password.txt")
p11=(--pkcs11-module "$pkcs11_module" --key "$pkcs11_uri" --certs "$pki/signer.pem"
     --password-file "$pki/pin.txt")
for kind in pem p12 p11; do
    declare -n key=$kind
    out=$scratch/$kind/HvLaunch.exe
    mkdir -p "$(dirname "$out")"
    status=0
    scripts/sign "${key[@]}" "$unsigned" "$out" >"$scratch/$kind.log" 2>&1 || status=$?
    check $LINENO "$kind: sign exits $status" [ $status = 0 ]
    check $LINENO "$kind: warns that, untimestamped, the signature lapses" has "$scratch/$kind.log" "no --timestamp"
    status=0
    scripts/verify-release "$out" --ca "$pki/root.pem" >"$scratch/$kind.verify" 2>&1 || status=$?
    check $LINENO "$kind: verify-release exits $status: $(tail -n 1 "$scratch/$kind.verify")" [ $status = 0 ]
    check $LINENO "$kind: the verdict" [ "$(tail -n 1 "$scratch/$kind.verify")" = "$signed_by" ]
    check $LINENO "$kind: says which roots" has "$scratch/$kind.verify" "checked against the CA file $pki/root.pem"
    osslsigncode remove-signature -in "$out" -out "$scratch/$kind.payload" >/dev/null
    check $LINENO "$kind: unsigned again, the bytes of the build" cmp -s "$scratch/$kind.payload" "$unsigned"
    osslsigncode verify -CAfile "$pki/root.pem" -in "$out" >"$scratch/$kind.details" 2>&1 || true
    check $LINENO "$kind: SHA-256 digest" has "$scratch/$kind.details" "Message digest algorithm  : SHA256"
    check $LINENO "$kind: description" has "$scratch/$kind.details" "Text description: Halvorn Driver Setup Launcher"
    [ $kind != pem ] ||
        check $LINENO "$kind: the --url" has "$scratch/$kind.details" "URL description: https://halvorn.example/drivers"
done
signed=$scratch/pem/HvLaunch.exe

# verify-release on what it must reject. (row: file, --ca or "", the
# verdict's start, its exit status.)
cp "$signed" "$scratch/tampered.exe"
# One byte in the code: the entry's first instruction.
printf '\xcc' | dd of="$scratch/tampered.exe" bs=1 seek=$((0x400)) conv=notrunc 2>/dev/null
rows=(
    "$LINENO|$scratch/tampered.exe|$pki/root.pem|FAILED: signature: the file was changed after it was signed"
    "$LINENO|$signed|$pki/other-root.pem|FAILED: signature: the signature of /O=Halvorn Tech/CN=Halvorn Tech Test signer does not verify against the CA file $pki/other-root.pem"
    "$LINENO|$signed||FAILED: signature: the signature of /O=Halvorn Tech/CN=Halvorn Tech Test signer does not verify against the system's roots"
    "$LINENO|$unsigned|$pki/root.pem|FAILED: signature: unsigned, though identical to a build of $commit"
)
for row in "${rows[@]}"; do
    IFS='|' read -r line file ca verdict <<<"$row"
    status=0
    scripts/verify-release "$file" ${ca:+--ca "$ca"} >"$scratch/reject.log" 2>&1 || status=$?
    last=$(tail -n 1 "$scratch/reject.log")
    check "$line" "exit status $status for [$last]" [ $status = 1 ]
    check "$line" "verdict [$last]" [ "${last#"$verdict"}" != "$last" ]
done

# scripts/sign on what it must refuse: one line naming the cause, a non-zero
# exit status, and no OUT, nor its temporary file beside it.
printf 'wrong\n' >"$pki/wrong-password.txt"
printf '000000\n' >"$pki/wrong-pin.txt"
printf 'MZ, and nothing else\n' >"$scratch/not-a-program.exe"
rows=(
    "$LINENO|--certs $pki/web.pem --key $pki/web.key $unsigned|does not allow code signing"
    "$LINENO|--pkcs12 $pki/signer.p12 --password-file $pki/wrong-password.txt $unsigned|wrong password for $pki/signer.p12"
    "$LINENO|--certs $pki/signer.pem --key $pki/missing.key $unsigned|cannot read the key file $pki/missing.key"
    "$LINENO|--pkcs12 $pki/missing.p12 --password-file $pki/password.txt $unsigned|cannot read the PKCS#12 file $pki/missing.p12"
    "$LINENO|--certs $pki/signer.pem --key $pki/web.key $unsigned|does not belong to the first certificate"
    "$LINENO|--pkcs11-module $pkcs11_module --key $pkcs11_uri --certs $pki/signer.pem --password-file $pki/wrong-pin.txt $unsigned|wrong PIN for the token"
    "$LINENO|--certs $pki/signer.pem --key $pki/signer.key $scratch/not-a-program.exe|is not a PE file"
    "$LINENO|--certs $pki/signer.pem --key $pki/signer.key $signed|is signed already"
    "$LINENO|--pkcs12 $pki/signer.p12 --password secret $unsigned|a password on the command line is visible"
)
mkdir -p "$scratch/refused"
out=$scratch/refused/HvLaunch.exe
for row in "${rows[@]}"; do
    IFS='|' read -r line args message <<<"$row"
    status=0
    # shellcheck disable=SC2086 # the row's words are the arguments
    scripts/sign $args "$out" >"$scratch/refused.log" 2>&1 || status=$?
    check "$line" "exit status $status" [ $status != 0 ]
    check "$line" "one line: $(cat "$scratch/refused.log")" [ "$(wc -l <"$scratch/refused.log")" = 1 ]
    check "$line" "names [$message]: $(cat "$scratch/refused.log")" has "$scratch/refused.log" "$message"
    check "$line" "OUT or its temporary file is left" absent "$out"
done

# Without a timestamp the signer is warned; dist --sign publishes the
# signed file and, apart, the build beneath it.
# In a clone of the commit, so that this tree's dist/ stays as it is.
dist_tree=$scratch/clone
git clone -q --no-hardlinks "$source_dir" "$dist_tree"
git -C "$dist_tree" checkout -q "$commit"
status=0
"$dist_tree/scripts/dist" --sign "${pem[@]}" >"$scratch/dist.log" 2>&1 || status=$?
check $LINENO "dist --sign exits $status: $(tail -n 1 "$scratch/dist.log")" [ $status = 0 ]
check $LINENO "the warning that the signature lapses" has "$scratch/dist.log" "no --timestamp: the signature lapses"
check $LINENO "dist/SHA256SUMS lists the signed file" \
    bash -c "cd '$dist_tree/dist' && sha256sum -c --quiet SHA256SUMS"
osslsigncode verify -CAfile "$pki/root.pem" -in "$dist_tree/dist/HvLaunch.exe" >"$scratch/dist.verify" 2>&1 || true
check $LINENO "dist/HvLaunch.exe is signed" has "$scratch/dist.verify" "Signature verification: ok"
check $LINENO "dist/SHA256SUMS.unsigned is the unsigned build's" \
    [ "$(cat "$dist_tree/dist/SHA256SUMS.unsigned")" = "$(sha256sum <"$unsigned" | cut -d' ' -f1)  HvLaunch.exe" ]

check_summary
