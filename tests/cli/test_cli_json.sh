#!/usr/bin/env bash
# What korvalset24-cli writes under --json is JSON that a strict reader takes
# (python3 -m json.tool's: no raw control character; and no NaN), for every JSON
# case the other command-line tests drive, files with odd names and values
# included; and the numbers scripts read keep their values.
#
# usage: test_cli_json.sh CLI
# The CLI is started through $KORVAL_EMULATOR when set (Wine for the Windows
# build).
set -euo pipefail
cli=$1
read -r -a launch <<<"${KORVAL_EMULATOR:-}"
command -v python3 >/dev/null || {
    echo "test_cli_json : python3 manque" >&2
    exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
run() { "${launch[@]}" "$cli" "$@"; }

run defaults -o m.kv2 >/dev/null
run set m.kv2 JeuAD=120 V2AD=17/2 -o p.kv2 >/dev/null
run set m.kv2 V5AD=0 -o zero.kv2 >/dev/null
cp m.kv2 'Réglages été.kv2'
# A name with control characters: the text typed reaches the program whole.
[ -n "${KORVAL_EMULATOR:-}" ] || cp m.kv2 "$(printf 'tab\tbip\001.kv2')"
# DureeTour not a number, written over the file's last four bytes.
head -c 57 m.kv2 >nan.kv2
printf '\000\000\300\177' >>nan.kv2

# ARGUMENTS (as the shell reads them)
cases=$(
    cat <<'CASES'
show m.kv2 --json
show p.kv2 --json
show zero.kv2 --json
show nan.kv2 --json
show m.hex --json
show 'Réglages été.kv2' --json
search --json
search m.kv2 --json
search m.kv2 --steps 11520 --json
search nan.kv2 --steps 11520 --turn 1196.7236 --json
monture --dents 144 --pas-moteur 200 --reduction 60/17 --json
monture --dents 359 --pas-moteur 400 --reduction 60/17 --suivi lunaire --json
monture --dents 144 --pas-moteur 200 --reduction 128 --suivi 15.041 zero.kv2 --json
monture --monture heq5 --json
monture m.kv2 --derive 12 --pendant 10:00 --declinaison 30 --json
monture m.kv2 --derive 4 --echelle 3.76 --pendant 90s --vers est --declinaison -30 --json
CASES
)
# Windows refuses control characters in a file name: the name cannot be typed there.
[ -n "${KORVAL_EMULATOR:-}" ] || cases+=$'\n'"show \"\$(printf 'tab\\tbip\\001.kv2')\" --json"
failures=0
count=0
while IFS= read -r words; do
    eval "arguments=($words)"
    count=$((count + 1))
    status=0
    run "${arguments[@]}" >"$count.json" 2>err.txt || status=$?
    printf '%s\n' "$words" >"$count.args"
    if [ "$status" != 0 ]; then
        echo "« $words » : code $status" >&2
        sed 's/^/    /' err.txt >&2
        failures=$((failures + 1))
    fi
done <<<"$cases"

# One reader for all (Python starts slowly on a loaded machine): the reader of
# python3 -m json.tool, which refuses a raw control character in a string,
# told to refuse NaN and Infinity too. Then values, not only the syntax: the
# float fields read back as the same float, what the file cannot hold is
# null, the keys keep their order.
python3 - "$count" <<'PY' || failures=$((failures + 1))
import json, struct, sys
def refuse(constant):
    raise ValueError("constante " + constant)
errors = []
for case in range(1, int(sys.argv[1]) + 1):
    try:
        with open("%d.json" % case, encoding="utf-8") as text:
            json.load(text, parse_constant=refuse)
    except ValueError as error:
        errors.append("« %s » : pas du JSON : %s" % (open("%d.args" % case).read().strip(), error))
m, nan, search = (json.load(open("%d.json" % case)) for case in (1, 4, 8))
as_float = lambda value: struct.unpack('<f', struct.pack('<f', value))[0]
if as_float(m["DureeTour"]) != struct.unpack('<f', bytes.fromhex('28971544'))[0]:
    errors.append("DureeTour %r" % m["DureeTour"])
if list(m)[:3] != ["MarqueDebut", "PeriodeTimer", "V0De"] or list(m)[-4:] != \
        ["FrequenceQuartz", "PasParTour", "DureeTour", "Derivees"]:
    errors.append("ordre des clés %r" % list(m))
if nan["DureeTour"] is not None or nan["Derivees"]["PerPasMs"] is not None:
    errors.append("DureeTour NaN : %r, %r" % (nan["DureeTour"], nan["Derivees"]["PerPasMs"]))
if search[0]["periode"] != 449490 or search[0]["ligne"] != 1 or len(search) != 293:
    errors.append("search %r" % search[0])
for error in errors:
    print("test_cli_json :", error, file=sys.stderr)
sys.exit(1 if errors else 0)
PY
echo "test_cli_json : $count sorties JSON lues"
[ "$failures" = 0 ]
