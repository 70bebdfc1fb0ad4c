#!/usr/bin/env bash
# Checks Quillgate-1.0-win32.zip: exactly the three programs and README.txt in one folder, the
# programs of this build (quillgate.exe stripped), and a README that Notepad shows as lines.
# Usage: check_zip.sh ZIP BIN_DIR STRIP
set -euo pipefail
zip=$1 bin=$2 strip=$3
fail() { echo "FAIL: $*" >&2; exit 1; }

[ -f "$zip" ] || fail "no $zip"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

listing=$(unzip -Z1 "$zip" | grep -v '/$' | sort | tr '\n' ' ')
want="Quillgate-1.0-win32/README.txt Quillgate-1.0-win32/qg.exe Quillgate-1.0-win32/quillgate.exe Quillgate-1.0-win32/rb.com "
[ "$listing" = "$want" ] || fail "zip holds: $listing"

unzip -q "$zip" -d "$work"
dir=$work/Quillgate-1.0-win32
cmp -s "$dir/qg.exe" "$bin/qg.exe" || fail "qg.exe is not this build's"
cmp -s "$dir/rb.com" "$bin/rb.com" || fail "rb.com is not this build's"
"$strip" -o "$work/stripped.exe" "$bin/quillgate.exe"
# strip stamps the time into the PE header (and so changes its checksum): compare the rest.
same_image() {
    python3 - "$1" "$2" <<'PY'
import struct, sys
def body(path):
    data = bytearray(open(path, "rb").read())
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    for field in (pe + 8, pe + 24 + 64):  # TimeDateStamp, CheckSum
        data[field:field + 4] = bytes(4)
    return data
sys.exit(body(sys.argv[1]) != body(sys.argv[2]))
PY
}
same_image "$dir/quillgate.exe" "$work/stripped.exe" || fail "quillgate.exe is not this build's, stripped"

readme=$dir/README.txt
# Every line end is CR LF, and no placeholder was left unfilled.
lf=$(tr -cd '\n' <"$readme" | wc -c)
crlf=$(grep -c $'\r$' "$readme" || true)
[ "$lf" -gt 20 ] && [ "$lf" -eq "$crlf" ] || fail "README.txt: $crlf of $lf lines end in CR LF"
! grep -qE '@[A-Z_]+@' "$readme" || fail "README.txt: placeholder left: $(grep -oE '@[A-Z_]+@' "$readme" | head -1)"
head -1 "$readme" | grep -q '^Quillgate 1\.0'$'\r''$' || fail "README.txt: first line is $(head -1 "$readme")"
for must in 'c:\\Qg_Data\\qg.exe' 'SWITCHES=/N' 'BootKeys=0' 'scrambled, not encrypted' 'boot floppy'; do
    grep -qF "$(printf '%b' "$must")" "$readme" || fail "README.txt does not mention $must"
done
echo "PASS: $zip"
