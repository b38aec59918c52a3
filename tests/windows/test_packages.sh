#!/bin/bash
# Checks korvalset24-<version>-win64.zip as a user gets it: exactly its four
# files; LISEZMOI.txt in UTF-8 with a byte order mark and CR LF line ends; each
# program with the icon group 1 (all its sizes) and its version resource, no
# DLL beside the system's, and small enough to download at the telescope.
#   test_packages.sh BUILD_DIR VERSION WINDOW_DESCRIPTION CLI_DESCRIPTION
set -u
build=$1
version=$2
window_description=$3
cli_description=$4
zip=$build/korvalset24-$version-win64.zip
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

cmake --build "$build" --target windows-zip >/dev/null || {
    echo "FAIL: the zip does not build"
    exit 1
}
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$zip") || {
    echo "FAIL: $zip does not unpack"
    exit 1
}

listed=$(cd "$unpacked" && find . -type f -printf '%P\n' | sort | tr '\n' ' ')
[ "$listed" = "COPYING LISEZMOI.txt korvalset24-cli.exe korvalset24.exe " ] ||
    fail "the zip holds «$listed»"

readme=$unpacked/LISEZMOI.txt
[ "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "LISEZMOI.txt has no UTF-8 byte order mark"
lines=$(wc -l <"$readme")
crlf=$(grep -c $'\r$' "$readme")
[ "$lines" -gt 10 ] && [ "$crlf" -eq "$lines" ] || fail "LISEZMOI.txt: $crlf of $lines lines end in CR LF"
grep -q "korvalset24 $version" "$readme" || fail "LISEZMOI.txt does not give version $version"
iconv -f UTF-8 -t UTF-16 "$readme" >/dev/null 2>&1 || fail "LISEZMOI.txt is not UTF-8"

# A string of a version resource: the line after the one that ends in the
# key (the resource's strings are UTF-16, each ended by a NUL).
version_string() {
    wrestool -x --raw --type=16 "$1" 2>/dev/null | iconv -c -f UTF-16LE -t UTF-8 | tr '\0' '\n' |
        awk -v key="$2" 'found && $0 != "" { print; exit } $0 ~ ("\001" key "$") { found = 1 }'
}

# program | FileDescription
programs=(
    "korvalset24|$window_description"
    "korvalset24-cli|$cli_description"
)
most_bytes=$((3 * 1024 * 1024))
for entry in "${programs[@]}"; do
    IFS='|' read -r program description <<<"$entry"
    exe=$unpacked/$program.exe
    [ -f "$exe" ] || {
        fail "$program.exe is not in the zip"
        continue
    }
    wrestool -l "$exe" | grep -q -- '--type=14 --name=1 ' || fail "$program.exe has no icon group 1"
    sizes=$(wrestool -x --type=14 --name=1 "$exe" >"$unpacked/icon.ico" && icotool -l "$unpacked/icon.ico" |
        sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | tr '\n' ' ')
    [ "$sizes" = "16 24 32 48 64 256 " ] || fail "$program.exe icon sizes «$sizes»"
    # key | value
    strings=(
        "ProductName|korvalset24"
        "FileDescription|$description"
        "FileVersion|$version"
        "ProductVersion|$version"
        "OriginalFilename|$program.exe"
        "CompanyName|The korvalset24 developers"
        "LegalCopyright|© The korvalset24 developers. Licence GPL-3.0-or-later."
    )
    for pair in "${strings[@]}"; do
        IFS='|' read -r key want <<<"$pair"
        got=$(version_string "$exe" "$key")
        [ "$got" = "$want" ] || fail "$program.exe $key: «$got», expected «$want»"
    done
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr '\n' ' ')
    [[ ! $dlls =~ (libstdc|libgcc|libwinpthread) ]] || fail "$program.exe needs a DLL beside it: $dlls"
    bytes=$(stat -c %s "$exe")
    [ "$bytes" -lt "$most_bytes" ] || fail "$program.exe is $bytes bytes"
    if x86_64-w64-mingw32-objdump -h "$exe" | grep -q '\.debug_'; then
        fail "$program.exe ships its debug data"
    fi
done

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "zip: all checks passed"
