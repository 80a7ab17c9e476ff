# Shared by the release scripts: the one-line failure, and what a file is.
# Sourced; the script that sources it sets `me` to its own name.

die() {
    echo "$me: $*" >&2
    exit 1
}

# The unsigned little-endian integer of $3 bytes at offset $2 of file $1.
le() {
    od -An -tu"$3" -j "$2" -N "$3" "$1" | tr -d ' '
}

# Prints "signed" or "unsigned" for a PE image, "not-pe" for anything
# else: the certificate table, data directory 4, is where an Authenticode
# signature lives.
pe_signature_state() {
    local file=$1 pe magic directories
    if [ "$(head -c 2 "$file")" != MZ ] || [ "$(stat -c %s "$file")" -lt 64 ]; then
        echo not-pe
        return
    fi
    pe=$(le "$file" 60 4)
    if [ "$(od -An -tx1 -j "$pe" -N 4 "$file" | tr -d ' ')" != 50450000 ]; then
        echo not-pe
        return
    fi
    magic=$(le "$file" $((pe + 24)) 2)
    case $magic in
    267) directories=$((pe + 24 + 96)) ;;  # PE32
    523) directories=$((pe + 24 + 112)) ;; # PE32+
    *) echo not-pe; return ;;
    esac
    if [ "$(le "$file" $((directories + 36)) 4)" != 0 ]; then
        echo signed
    else
        echo unsigned
    fi
}

# The value of "Label: value" in osslsigncode's output, first occurrence.
field() {
    sed -n "s/^[[:space:]]*$1[[:space:]]*: *//p" | head -n 1 | sed 's/[[:space:]]*$//'
}
