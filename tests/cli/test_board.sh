#!/bin/bash
# The board from the command line: `image` on a firmware made by srec_cat,
# read back by srec_cat, its refusals writing nothing;
# `programmer`'s exit statuses and streams for each kind of outcome (the
# outcomes themselves are test_board_plain's), its refusals running nothing,
# the file's name reaching the stand-in programmer as one argument.
#   test_board.sh PATH/korvalset24-cli PATH/stand_in_programmer
#   (the command line through $KORVAL_EMULATOR if set)
set -u
cli=$(realpath "$1")
standIn=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
read -r -a emulator <<<"${KORVAL_EMULATOR:-}"
cd "$work" || exit 1
command -v srec_cat >/dev/null || { echo "srec_cat (paquet srecord) manque"; exit 1; }
run() { "${emulator[@]}" "$cli" "$@"; }
failures=0
fail() {
    echo "ÉCHEC : $*"
    failures=$((failures + 1))
}

# The programmer is found on PATH by its bare name, as an owner's would be.
mkdir bin tmp
ext=""
[[ $standIn == *.exe ]] && ext=.exe
cp "$standIn" "bin/programmateur$ext"
# Windows looks in the current folder first, and knows nothing of the Unix PATH.
[[ -n $ext ]] && cp "$standIn" "programmateur$ext"
programmateur() { "${emulator[@]}" "$work/bin/programmateur$ext" "$@"; }
export PATH=$work/bin:$PATH TMPDIR=$work/tmp

run defaults -o factory.kv2 >/dev/null || { echo "defaults"; exit 1; }
run set factory.kv2 V2AD=16/2 JeuAD=123 Pwm3=200 -o board.kv2 >/dev/null || { echo "set"; exit 1; }

# Firmware: 32 KiB of fixed random bytes (a table of another board among
# them), configuration bytes at 0x300000, shuffled lines in lower case.
perl -e 'srand(3324); print map { chr int rand 256 } 1 .. 32768' >firmware.bin
perl -e 'print pack("C*", 0x00, 0x22, 0x1F, 0x1E, 0x00, 0x81, 0x85)' >config.bin
srec_cat firmware.bin -binary -exclude -within factory.hex -intel factory.hex -intel \
    config.bin -binary -offset 0x300000 -o ordered.hex -intel -address-length=4 \
    -output-block-size=16 || { echo "srec_cat"; exit 1; }
grep -q '^:02000004' ordered.hex || { echo "pas d'enregistrement de type 04"; exit 1; }
# The data lines below 64 KiB shuffled between their address record and the next.
high=$(grep -n '^:02000004' ordered.hex | sed -n '2s/:.*//p')
{
    head -n 1 ordered.hex
    sed -n "2,$((high - 1))p" ordered.hex |
        shuf --random-source=<(perl -e 'srand(33); print map { chr int rand 256 } 1 .. 65536')
    tail -n "+$high" ordered.hex
} | tr 'A-F' 'a-f' >firmware.hex
# A line of firmware.hex with a checksum one too many.
awk 'NR == 5 { s = sprintf("%02x", (("0x" substr($0, length($0) - 1)) + 1) % 256)
               $0 = substr($0, 1, length($0) - 2) s } { print }' firmware.hex >broken.hex

# Every byte of FIRMWARE outside 0x7C00-0x7C30 in OUT, and only those with the
# table's, the .kv2's first 49 bytes (the records' form is test_board_plain's).
check_image() { # OUT FIRMWARE KV2
    srec_cmp "$2" -intel -exclude 0x7C00 0x7C31 "$1" -intel -exclude 0x7C00 0x7C31 >/dev/null 2>&1 ||
        { echo "srec_cmp : les octets du micrologiciel diffèrent"; return 1; }
    srec_cat "$1" -intel -crop 0x7C00 0x7C31 -offset -0x7C00 -o table.bin -binary ||
        { echo "srec_cat ne relit pas $1"; return 1; }
    head -c 49 "$3" | cmp -s - table.bin || { echo "srec_cat : la table n'est pas celle de $3"; return 1; }
}

# --- image: firmware | status | output; then the same firmware's checks ---
image_table=(
    "firmware.hex|0|out1.hex"
    "missing.hex|2|out3.hex"
    "broken.hex|2|out4.hex"
    "firmware.hex|2|firmware.hex"
    "firmware.hex|2|link.hex"
    "firmware.hex|2|out5.kv2"
)
ln -s firmware.hex link.hex
cp firmware.hex firmware.before
for row in "${image_table[@]}"; do
    IFS='|' read -r firmware expected output <<<"$row"
    [ -e "$output" ] && before=$(md5sum <"$output") || before=absent
    run image board.kv2 "$firmware" -o "$output" >image.out 2>image.err
    status=$?
    if [[ $status != "$expected" ]]; then
        fail "image $firmware -o $output : code $status au lieu de $expected ($(cat image.err))"
    elif [[ $expected == 0 ]]; then
        why=$(check_image "$output" "$firmware" board.kv2) || fail "image $firmware : $why"
    else
        [ -s image.err ] || fail "image $firmware -o $output : aucun message"
        [ -e "$output" ] && after=$(md5sum <"$output") || after=absent
        [[ $before == "$after" ]] || fail "image $firmware -o $output : $output a changé"
    fi
done
cmp -s firmware.hex firmware.before || fail "firmware.hex a changé"
[ -L link.hex ] || fail "link.hex n'est plus un lien"

# --- programmer: name | status | arguments (words; @...@ is one) | what stdout, then stderr, hold ---
W="--ecrire"
L="--lire"
READ="programmateur mem read {lecture}"
programmer_table=(
    "full-image|0|board.kv2 --image firmware.hex $W @programmateur mem full {image}@ $L @$READ@|programmateur simulé : full|"
    "wrong|1|board.kv2 $W @programmateur mem wrong 7C1E {hex}@ $L @$READ@|JeuAD : 123 pas -> 122 pas|La carte ne contient pas"
    "fail|2|board.kv2 $W @programmateur mem fail {hex}@ $L @$READ@||tenue pour écrite"
    "no-write|2|board.kv2 $L @$READ@||--ecrire"
    "unbalanced|2|board.kv2 $W @programmateur mem rows \"{hex}@||guillemet"
)
for row in "${programmer_table[@]}"; do
    IFS='|' read -r name expected words out err <<<"$row"
    rm -f mem mem.journal
    arguments=()
    while [[ -n $words ]]; do
        words=${words# }
        if [[ $words == @* ]]; then
            words=${words#@}
            arguments+=("${words%%@*}")
            words=${words#*@}
        else
            arguments+=("${words%% *}")
            [[ $words == *" "* ]] && words=${words#* } || words=""
        fi
    done
    run programmer "${arguments[@]}" >"$name.out" 2>"$name.err"
    status=$?
    [[ $status == "$expected" ]] || fail "$name : code $status au lieu de $expected : $(cat "$name.err")"
    [[ -z $out ]] || grep -qF -- "$out" "$name.out" || fail "$name : « $out » n'est pas sur la sortie : $(cat "$name.out")"
    [[ -z $err ]] || grep -qF -- "$err" "$name.err" || fail "$name : « $err » n'est pas sur l'erreur : $(cat "$name.err")"
    # A refused command runs nothing at all.
    [[ $name == no-write || $name == unbalanced ]] && [ -e mem.journal ] &&
        fail "$name : le programmateur a été lancé"
done
# The program's own output comes on standard output, before the verdict.
sed -n '/programmateur simulé : full/,$p' full-image.out | grep -q "La carte contient la table" ||
    fail "la sortie du programmateur ne précède pas le verdict : $(cat full-image.out)"
grep -q "La carte contient" fail.out fail.err && fail "fail : la carte est dite écrite"
[ -z "$(ls tmp | grep korvalset24)" ] || fail "le dossier temporaire reste : $(ls tmp)"

# --- a name with blanks, quotes and ';' is one argument, and runs nothing ---
odd="it's \"a\" b;touch PWNED;x"
[[ -n $ext ]] && odd="it's a b;touch PWNED;x" # a Windows name holds no double quote
cp board.kv2 "$odd.kv2"
rm -f mem mem.journal
# Single quotes group on POSIX systems, not in CommandLineToArgvW's rules.
group="'"
[[ -n $ext ]] && group='"'
run programmer "$odd.kv2" $W "programmateur mem rows {hex} ${group}c;touch PWNED2$group \"d \\\"e\\\"\"" \
    >odd.out 2>odd.err || fail "nom étrange : $(cat odd.err)"
mapfile -t got <mem.journal
[[ ${#got[@]} == 6 && ${got[0]} == "-- 5" && ${got[1]} == mem && ${got[2]} == rows &&
    ${got[3]} == *"$odd.hex" && ${got[4]} == "c;touch PWNED2" && ${got[5]} == 'd "e"' ]] ||
    fail "nom étrange : reçu ${got[*]}"
[ -n "$(find / -xdev -maxdepth 3 -name 'PWNED*' 2>/dev/null; find "$work" -name 'PWNED*')" ] &&
    fail "une commande cachée dans un nom a été lancée"

echo "${#image_table[@]} images, ${#programmer_table[@]} programmations, $failures échecs"
[[ $failures == 0 ]]
