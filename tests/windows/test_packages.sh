#!/bin/bash
# The zip as a user gets it: its four files, LISEZMOI.txt for Notepad (UTF-8
# with BOM, CR LF), each program's icon group 1 with its sizes, its version
# strings, no DLL beside the system's, no debug data, under 3 MB.
#   test_packages.sh BUILD_DIR VERSION WINDOW_DESCRIPTION CLI_DESCRIPTION
set -u
build=$1 version=$2 failures=0
fail() { echo "FAIL: $*" && failures=$((failures + 1)); }
cmake --build "$build" --target windows-zip >/dev/null || exit 1
out=$(mktemp -d) && trap 'rm -rf "$out"' EXIT
(cd "$out" && cmake -E tar xf "$build/korvalset24-$version-win64.zip") || exit 1

listed=$(cd "$out" && find . -type f -printf '%P ' | tr ' ' '\n' | sort | xargs)
[ "$listed" = "COPYING LISEZMOI.txt korvalset24-cli.exe korvalset24.exe" ] || fail "the zip holds «$listed»"
[ "$(head -c 3 "$out/LISEZMOI.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "LISEZMOI.txt has no BOM"
[ "$(grep -c -v $'\r$' "$out/LISEZMOI.txt")" -eq 0 ] || fail "LISEZMOI.txt has lines without CR LF"
grep -q "korvalset24 $version" "$out/LISEZMOI.txt" || fail "LISEZMOI.txt does not give version $version"

# A version string: the resource's UTF-16 strings each end in a NUL, and a
# value comes after its key's line.
version_string() {
    wrestool -x --raw --type=16 "$1" | iconv -c -f UTF-16LE -t UTF-8 | tr '\0' '\n' |
        awk -v key="$2" 'found && $0 != "" { print; exit } $0 ~ ("\001" key "$") { found = 1 }'
}
for line in "korvalset24|$3" "korvalset24-cli|$4"; do # program | FileDescription
    IFS='|' read -r program description <<<"$line"
    exe=$out/$program.exe
    wrestool -x --type=14 --name=1 "$exe" >"$out/icon.ico" 2>/dev/null
    sizes=$(icotool -l "$out/icon.ico" 2>/dev/null | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | xargs)
    [ "$sizes" = "16 24 32 48 64 256" ] || fail "$program.exe icon group 1 sizes «$sizes»"
    for pair in "ProductName|korvalset24" "FileDescription|$description" "FileVersion|$version" \
        "ProductVersion|$version" "OriginalFilename|$program.exe" "CompanyName|The korvalset24 developers" \
        "LegalCopyright|© The korvalset24 developers. Licence GPL-3.0-or-later."; do
        IFS='|' read -r key want <<<"$pair"
        got=$(version_string "$exe" "$key")
        [ "$got" = "$want" ] || fail "$program.exe $key: «$got», expected «$want»"
    done
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | xargs)
    [[ ! $dlls =~ libstdc|libgcc|libwinpthread ]] || fail "$program.exe needs a DLL beside it: $dlls"
    ! x86_64-w64-mingw32-objdump -h "$exe" | grep -q '\.debug_' || fail "$program.exe ships debug data"
    [ "$(stat -c %s "$exe")" -lt $((3 << 20)) ] || fail "$program.exe is over 3 MB"
done
[ "$failures" -eq 0 ] && echo "zip: all checks passed"
