#!/bin/bash
# Runs one battery of korvalset24-cli commands with two builds of it and
# compares, run by run, the exit status, standard output, standard error and
# every file left in the folder. For a change that must not alter what the
# companion says or writes:
#   bash tests/cli/compare_builds.sh OLD/korvalset24-cli NEW/korvalset24-cli
# Status 0 when every run gives the same bytes; otherwise the differences.
set -u
old=$(realpath "$1")
new=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The files every run starts from, written by the old build.
template=$work/template
mkdir "$template"
(
    cd "$template" || exit 1
    "$old" defaults -o m.kv2
    "$old" set m.kv2 JeuAD=120 V2AD=17/2 -o p.kv2
    "$old" search m.kv2 --steps 11520 --apply 1 -o lente.kv2
    head -c 60 m.kv2 > short.kv2
    head -c 60 m.kv2 > 'x%1 %2.kv2'
    cat m.kv2 m.kv2 > long.kv2
    cp m.kv2 'Réglages été.kv2'
    cp m.kv2 ro.kv2 && chmod a-w ro.kv2
    printf 'old' > out-ro.hex && chmod a-w out-ro.hex
    sed 's/2116\r/2117\r/' m.hex > bad.hex
    mkdir dir.kv2
) || exit 1

runs=$work/runs
mkdir "$runs"
count=0
run() {
    count=$((count + 1))
    local name
    name=$(printf '%03d' "$count")
    printf '%s\n' "$*" > "$runs/$name.args"
    for build in old new; do
        local folder=$work/$build-$name
        cp -a "$template" "$folder"
        local program=$old
        [[ $build == new ]] && program=$new
        (cd "$folder" && "$program" "$@" > "$work/$build-$name.out" 2> "$work/$build-$name.err"
            echo $? > "$work/$build-$name.status")
    done
}

verbs=(defaults show set search hex import-hex diff check monture)
run
run --help
run -h
run --version
run montre
for verb in "${verbs[@]}"; do
    run "$verb" --help
    run "$verb" -h
    run "$verb" --nope
done
run defaults -o new.kv2
run defaults -o new.txt
run defaults extra -o new.kv2
run defaults -o ro.kv2
run defaults -o dir.kv2
run defaults -o
run show m.kv2
run show p.kv2 --json
run show lente.kv2
run show short.kv2
run show 'x%1 %2.kv2'
run show long.kv2
run show none.kv2
run show dir.kv2
run show 'Réglages été.kv2' --json
run show m.kv2 p.kv2
run show -- --json
run set m.kv2 JeuAD=1 Pwm3=300
run set m.kv2 JeuAD=1 -o out.kv2
run set m.kv2 JeuAD=1 -o out.kv2 -o other.kv2
run set m.kv2 V2AD=17/2 V3AD.demi=1 MaintienFoc=3.54ms -o out.kv2
run set m.kv2 DureeTour=nan
run set m.kv2 Nope=1
run set m.kv2
run set
run set 'Réglages été.kv2' JeuDe=7
run set m.kv2 JeuAD=1 -o ro.kv2
run set m.kv2 JeuAD=1 -o out-ro.kv2
run search
run search m.kv2 --json
run search --steps 11520 --turn 1196.7236
run search --quartz 14.7e6
run search --steps 0
run search --turn 0
run search --apply 1
run search --apply 0 -o a.kv2
run search --apply ' 1' -o a.kv2
run search --apply +1 -o a.kv2
run search --apply 294 -o a.kv2
run search --apply 2 -o a.kv2 m.kv2
run search --apply 1 --json -o a.kv2
run search m.kv2 p.kv2
run search --steps
run hex m.kv2
run hex lente.kv2 -o h.hex
run hex m.kv2 -o p.kv2
run hex m.kv2 -o out-ro.hex
run import-hex m.hex -o i.kv2
run import-hex m.hex -o i.kv2 --base p.kv2
run import-hex m.hex -o m.kv2
run import-hex bad.hex -o i.kv2
run import-hex m.kv2 -o i.kv2
run import-hex m.hex
run import-hex none.hex -o i.kv2
run diff m.kv2 lente.kv2
run diff m.kv2 m.kv2
run diff m.kv2
run diff m.kv2 short.kv2
run check m.kv2
run check short.kv2
run check lente.kv2
run check long.kv2
run check p.kv2 m.kv2
train=(monture --dents 144 --pas-moteur 200)
run "${train[@]}" --reduction 128
run "${train[@]}" --reduction '50 x 3' --demi-pas m.kv2 -o t.kv2
run "${train[@]}" --reduction 60/17 --json
run "${train[@]}" --reduction 128 --suivi lunaire lente.kv2
run "${train[@]}" --reduction 128 --suivi 0
run "${train[@]}" --reduction '50 x'
run "${train[@]}"
run "${train[@]}" --reduction 3 -o t.kv2
run "${train[@]}" --reduction 3 m.kv2 -o ro.kv2
run monture --dents 0 --pas-moteur 200 --reduction 3

different=0
for ((i = 1; i <= count; i++)); do
    name=$(printf '%03d' "$i")
    for part in status out err; do
        if ! cmp -s "$work/old-$name.$part" "$work/new-$name.$part"; then
            echo "== $(cat "$runs/$name.args") : $part differs"
            diff "$work/old-$name.$part" "$work/new-$name.$part" | head -20
            different=1
        fi
    done
    if ! diff -r "$work/old-$name" "$work/new-$name" > /dev/null; then
        echo "== $(cat "$runs/$name.args") : files differ"
        diff -r "$work/old-$name" "$work/new-$name" | head -5
        different=1
    fi
done
echo "$count runs compared"
exit $different
