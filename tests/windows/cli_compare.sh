#!/usr/bin/env bash
# The Windows command line gives the Linux one's bytes: the same verbs run in
# two folders, one by each build, and every standard output, standard error,
# exit status and written file must be equal to the byte (the HEX text has its
# CR LF on both).
#
# usage: cli_compare.sh LINUX_CLI WINDOWS_CLI
# The Windows CLI is started through $KORVAL_EMULATOR (Wine).
set -euo pipefail
linux_cli=$1
windows_cli=$2
read -r -a launch <<<"${KORVAL_EMULATOR:-}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/linux" "$work/windows"
fail() {
    echo "cli_compare : $*" >&2
    exit 1
}

steps=0
# step NAME ARGS...: the verb on both sides, from the folder each side owns.
step() {
    local name=$1 side status
    shift
    for side in linux windows; do
        status=0
        if [ $side = linux ]; then
            (cd "$work/$side" && "$linux_cli" "$@" >"$name.out" 2>"$name.err") || status=$?
        else
            (cd "$work/$side" && "${launch[@]}" "$windows_cli" "$@" >"$name.out" 2>"$name.err") ||
                status=$?
        fi
        echo "$status" >"$work/$side/$name.status"
    done
    steps=$((steps + 1))
}

accents="Réglages été"
mkdir "$work/linux/$accents" "$work/windows/$accents"

step defaults defaults -o d.kv2
step show show d.kv2
step show-json show d.kv2 --json
step set set d.kv2 JeuAD=120 V2AD=17/2 MaintienFoc=3.54ms
step set-out set d.kv2 Pwm3=44 -o autre.kv2
step refused set d.kv2 Pwm3=300
step search search
step search-steps search d.kv2 --steps 11520 --json
step apply search d.kv2 --steps 11520 --apply 1 -o lente.kv2
step hex hex d.kv2
step hex-out hex lente.kv2 -o lente-copie.hex
step import import-hex lente.hex -o reprise.kv2 --base d.kv2
step diff diff d.kv2 lente.kv2
step monture monture --dents 144 --pas-moteur 200 --reduction "50 x 3" --demi-pas
step monture-json monture --dents 359 --pas-moteur 400 --reduction 60/17 --suivi lunaire --json
step monture-out monture --dents 144 --pas-moteur 200 --reduction 128 d.kv2 -o monture.kv2
step calibration monture d.kv2 --derive 12 --pendant 10:00 --declinaison 30 --json -o corrige.kv2
step accents-defaults defaults -o "$accents/monture.kv2"
step accents-set set "$accents/monture.kv2" JeuDe=7 -o "$accents/réglé.kv2"
step accents-show show "$accents/réglé.kv2"
# Windows names a folder with its own separator, so this message names a
# file of the current folder: the same text on both.
step accents-missing show "absent été.kv2"

# Every file of one side on the other, equal to the byte.
(cd "$work/linux" && find . -type f | LC_ALL=C sort) >"$work/linux.list"
(cd "$work/windows" && find . -type f | LC_ALL=C sort) >"$work/windows.list"
diff "$work/linux.list" "$work/windows.list" || fail "les deux constructions n'écrivent pas les mêmes fichiers"
while IFS= read -r file; do
    cmp "$work/linux/$file" "$work/windows/$file" || {
        diff -a "$work/linux/$file" "$work/windows/$file" | head -20 >&2 || true
        fail "$file diffère"
    }
done <"$work/linux.list"

# What the steps must have shown, so that two equally broken sides fail too.
[ "$(cat "$work/windows/refused.status")" = 2 ] || fail "set Pwm3=300 ne sort pas avec le code 2"
grep -q "Pwm3 : « 300 » dépasse 255" "$work/windows/refused.err" ||
    fail "set Pwm3=300 ne dit pas pourquoi"
[ "$(wc -l <"$work/windows/search.out")" -eq 293 ] || fail "search ne donne pas 293 lignes"
[ "$(cat "$work/windows/diff.status")" = 1 ] || fail "diff ne sort pas avec le code 1"
[ "$(cat "$work/windows/accents-missing.status")" = 2 ] || fail "un fichier absent ne donne pas le code 2"
[ -s "$work/windows/$accents/réglé.hex" ] || fail "rien n'est écrit sous « $accents »"
grep -q $'\r$' "$work/windows/hex.out" || fail "le texte HEX n'a pas ses CR LF"
for out in show show-json search monture; do
    ! grep -q $'\r' "$work/windows/$out.out" || fail "$out écrit des CR"
done
echo "cli_compare : $steps commandes, $(wc -l <"$work/linux.list") fichiers identiques à la construction Linux"
