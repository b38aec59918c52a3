#!/usr/bin/env bash
# Every exit of korvalset24-cli that is not 0 says why: 2 (a usage error, a
# refused value, a file that cannot be read or written, an output that cannot
# be written) on standard error; 1 comes only from diff and check, as the help
# says, with the differences or problems found on standard output.
#
# usage: test_cli_exit_status.sh CLI
# The CLI is started through $KORVAL_EMULATOR when set (Wine for the Windows
# build).
set -euo pipefail
cli=$1
read -r -a launch <<<"${KORVAL_EMULATOR:-}"
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
cd "$work"
run() { "${launch[@]}" "$cli" "$@"; }

run defaults -o m.kv2 >/dev/null
run set m.kv2 JeuAD=120 -o p.kv2 >/dev/null
run set m.kv2 V5AD=0 -o zero.kv2 >/dev/null
head -c 60 m.kv2 >short.kv2
sed 's/2116\r/2117\r/' m.hex >bad.hex
cp m.kv2 ro.kv2
chmod a-w ro.kv2
mkdir dir.kv2

# STATUS|ARGUMENTS (as the shell reads them)|where standard output goes
rows=$(
    cat <<'ROWS'
2||
2|montre|
2|--nope|
2|defaults|
2|defaults -o new.txt|
2|defaults -o ro.kv2|
2|defaults -o dir.kv2|
2|defaults -o sans-dossier/new.kv2|
2|show|
2|show none.kv2|
2|show short.kv2|
2|show dir.kv2|
2|show m.kv2 --xml|
2|show m.kv2|/dev/full
2|set m.kv2|
2|set none.kv2 JeuAD=1|
2|set m.kv2 Pwm3=300|
2|set m.kv2 Nope=1|
2|set m.kv2 DureeTour=nan|
2|set m.kv2 JeuAD=1 -o ro.kv2|
2|search --steps 0|
2|search --turn 0|
2|search --quartz 14.7e6|
2|search --apply 1|
2|search --apply 294 -o a.kv2|
2|search zero.kv2 --apply 1 -o a.kv2|
2|search none.kv2|
2|search --json|/dev/full
2|hex|
2|hex short.kv2|
2|hex m.kv2 -o p.kv2|
2|hex m.kv2|/dev/full
2|import-hex m.hex|
2|import-hex bad.hex -o i.kv2|
2|import-hex none.hex -o i.kv2|
2|import-hex m.hex -o m.kv2|
2|import-hex m.hex -o ro.kv2|
2|diff m.kv2|
2|diff m.kv2 none.kv2|
2|diff m.kv2 bad.hex|
2|diff m.kv2 p.kv2|/dev/full
2|check|
2|check none.kv2|
2|check dir.kv2|
2|check zero.kv2|/dev/full
2|monture --dents 144 --pas-moteur 200|
2|monture --dents 0 --pas-moteur 200 --reduction 3|
2|monture --dents 144 --pas-moteur 200 --reduction '50 x'|
2|monture --dents 144 --pas-moteur 200 --reduction 3 --suivi 0|
2|monture --monture EQ7|
2|monture --dents 144 --pas-moteur 200 --reduction 3 none.kv2|
2|monture --dents 144 --pas-moteur 200 --reduction 3 m.kv2 -o ro.kv2|
2|monture --dents 144 --pas-moteur 200 --reduction 3 --json|/dev/full
2|monture m.kv2 --derive 3|
2|monture short.kv2 --derive 3 --pendant 1:00|
2|monture m.kv2 --derive 3 --pendant 0:00|
2|monture m.kv2 --derive 3 --pendant 1:00 -o ro.kv2|
1|diff m.kv2 p.kv2|
1|check zero.kv2|
1|check short.kv2|
0|diff m.kv2 m.kv2|
0|check m.kv2|
0|show m.kv2 --json|
ROWS
)

failures=0
count=0
while IFS='|' read -r expected words output; do
    eval "arguments=($words)"
    count=$((count + 1))
    status=0
    rm -f out.txt
    run "${arguments[@]}" >"${output:-out.txt}" 2>err.txt || status=$?
    label="« ${words:-(rien)} »${output:+ > $output}"
    if [ "$status" != "$expected" ]; then
        echo "$label : code $status au lieu de $expected" >&2
        sed 's/^/    /' err.txt >&2
        failures=$((failures + 1))
    elif [ "$status" = 1 ] && ! [ -s out.txt ]; then
        echo "$label : code 1 sans différence ni problème montré" >&2
        failures=$((failures + 1))
    elif [ "$status" != 0 ] && [ "$status" != 1 ] && ! grep -q '^korvalset24-cli.* : ..*' err.txt; then
        echo "$label : code $status sans un mot sur la sortie d'erreur" >&2
        failures=$((failures + 1))
    fi
    if [ "$expected" = 1 ] && [ "${arguments[0]}" != diff ] && [ "${arguments[0]}" != check ]; then
        echo "$label : le code 1 est réservé à diff et check" >&2
        failures=$((failures + 1))
    fi
done <<<"$rows"
echo "test_cli_exit_status : $count commandes, $failures en faute"
[ "$failures" = 0 ]
