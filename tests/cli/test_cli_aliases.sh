#!/bin/bash
# Each French name of an option does what its English name does: the same
# exit status, standard output, standard error and files, byte for byte.
#   test_cli_aliases.sh PATH/korvalset24-cli   (through $KORVAL_EMULATOR if set)
set -u
cli=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
read -r -a emulator <<< "${KORVAL_EMULATOR:-}"

template=$work/template
mkdir "$template"
(cd "$template" && "${emulator[@]}" "$cli" defaults -o m.kv2) || { echo "defaults failed"; exit 1; }

# expected status | English | French
table=(
    "0|--help|--aide"
    "0|search --help|search --aide"
    "0|monture --help|monture --aide"
    "0|defaults -o n.kv2|defaults --sortie n.kv2"
    "0|set m.kv2 JeuAD=3 -o s.kv2|set m.kv2 JeuAD=3 --sortie s.kv2"
    "0|search --turn 1196.7236 --steps 11520|search --tour 1196.7236 --pas 11520"
    "0|search m.kv2 --steps 11520 --json|search m.kv2 --pas 11520 --json"
    "0|search --apply 2 -o a.kv2|search --appliquer 2 --sortie a.kv2"
    "0|search m.kv2 --steps 11520 --apply 1 -o a.kv2|search m.kv2 --pas 11520 --appliquer 1 -o a.kv2"
    "0|hex m.kv2 -o h.hex|hex m.kv2 --sortie h.hex"
    "0|import-hex m.hex -o i.kv2 --base m.kv2|import-hex m.hex --sortie i.kv2 --base m.kv2"
    "0|monture --dents 144 --pas-moteur 200 --reduction 128 m.kv2 -o t.kv2|monture --dents 144 --pas-moteur 200 --reduction 128 m.kv2 --sortie t.kv2"
    "2|search --steps 0|search --pas 0"
    "2|search --turn 0|search --tour 0"
    "2|search --apply 1|search --appliquer 1"
    "2|search --apply 294 -o a.kv2|search --appliquer 294 -o a.kv2"
    "2|search --steps 11520 --apply 1 --json -o a.kv2|search --pas 11520 --appliquer 1 --json --sortie a.kv2"
    "2|hex m.kv2 -o p.kv2|hex m.kv2 --sortie p.kv2"
    "2|set m.kv2 JeuAD=1 -o s.txt|set m.kv2 JeuAD=1 --sortie s.txt"
)

# Runs one command line in a fresh copy of the template folder; leaves status, out, err
# and the folder's listing with each file's checksum under $work/$1.
run() {
    local name=$1
    shift
    cp -a "$template" "$work/$name.dir"
    (cd "$work/$name.dir" && "${emulator[@]}" "$cli" "$@" > "$work/$name.out" 2> "$work/$name.err"
        echo $? > "$work/$name.status")
    (cd "$work/$name.dir" && find . -type f | sort | xargs md5sum) > "$work/$name.files"
}

failures=0
row=0
for entry in "${table[@]}"; do
    row=$((row + 1))
    IFS='|' read -r expected english french <<< "$entry"
    read -r -a englishWords <<< "$english"
    read -r -a frenchWords <<< "$french"
    run "en$row" "${englishWords[@]}"
    run "fr$row" "${frenchWords[@]}"
    if [[ $(cat "$work/en$row.status") != "$expected" ]]; then
        echo "FAIL $english: status $(cat "$work/en$row.status"), expected $expected"
        failures=$((failures + 1))
        continue
    fi
    for part in status out err files; do
        if ! cmp -s "$work/en$row.$part" "$work/fr$row.$part"; then
            echo "FAIL $french: $part differs from $english"
            diff "$work/en$row.$part" "$work/fr$row.$part" | head -6
            failures=$((failures + 1))
        fi
    done
done

# Both names of one option are one option, given twice.
(cd "$template" && "${emulator[@]}" "$cli" search --turn 1 --tour 2 > /dev/null 2> "$work/twice.err")
status=$?
if [[ $status != 2 ]] || ! grep -q "l'option --tour est donnée deux fois" "$work/twice.err"; then
    echo "FAIL search --turn 1 --tour 2: status $status, $(cat "$work/twice.err")"
    failures=$((failures + 1))
fi

echo "$row aliases compared, $failures failures"
[[ $failures == 0 ]]
