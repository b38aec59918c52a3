#!/usr/bin/env bash
# A command-line save killed at any moment leaves each of the .kv2 and the
# .hex with its old bytes or its new ones, and a later save that runs to its
# end leaves no temporary file behind. `set` runs in a loop and its process is
# killed (SIGKILL, which on Wine ends the Windows process as a power cut
# would) at random moments around the end of a run, where the files are
# replaced.
#
# usage: kill_save.sh CLI [ROUNDS]
# The CLI is started through $KORVAL_EMULATOR when set (Wine for the Windows
# build: "env WINEPREFIX=... WINEDEBUG=-all wine64").
set -euo pipefail
cli=$1
rounds=${2:-30}
read -r -a launch <<<"${KORVAL_EMULATOR:-}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

run() { "${launch[@]}" "$cli" "$@"; }
now_us() { echo $(($(date +%s%N) / 1000)); }
fail() {
    echo "kill_save : $*" >&2
    exit 1
}

# The two states the loop moves between, each from a complete run.
mkdir old new saves
run defaults -o old/monture.kv2 >/dev/null
run set old/monture.kv2 JeuAD=100 >/dev/null
# A run's length: the shortest of three, as a busy machine only lengthens it.
run_us=
for attempt in 1 2 3; do
    cp old/monture.kv2 new/monture.kv2
    start=$(now_us)
    run set new/monture.kv2 JeuAD=200 >/dev/null
    took=$(($(now_us) - start))
    [ -n "$run_us" ] && ((took >= run_us)) || run_us=$took
done
cmp -s old/monture.kv2 new/monture.kv2 && fail "JeuAD=100 et JeuAD=200 donnent les mêmes octets"
cp old/monture.kv2 old/monture.hex saves/

RANDOM=20261211 # fixed: the same moments every run
deadline=$(($(date +%s) + 90))
killed_old=0 # killed with the .kv2 still old
killed_new=0 # killed with the .kv2 already new
finished=0
for ((round = 0; round < rounds; ++round)); do
    if ((round % 2)); then wanted=old value=100; else wanted=new value=200; fi
    "${launch[@]}" "$cli" set saves/monture.kv2 JeuAD=$value >/dev/null 2>&1 &
    pid=$!
    # From half a run to a little past its end: most of a run under Wine is
    # its start, the replace comes last.
    delay=$((run_us / 2 + (RANDOM * 32768 + RANDOM) % (run_us * 7 / 10 + 1)))
    sleep "$(printf '%d.%06d' $((delay / 1000000)) $((delay % 1000000)))"
    kill -KILL "$pid" 2>/dev/null || true
    status=0
    { wait "$pid"; } 2>/dev/null || status=$?
    for ext in kv2 hex; do
        cmp -s saves/monture.$ext old/monture.$ext || cmp -s saves/monture.$ext new/monture.$ext ||
            fail "tour $round : monture.$ext ne tient ni les anciens octets ni les nouveaux"
    done
    if ((status == 137)); then
        if cmp -s saves/monture.kv2 $wanted/monture.kv2; then
            killed_new=$((killed_new + 1))
        else
            killed_old=$((killed_old + 1))
        fi
    elif ((status == 0)); then
        finished=$((finished + 1))
    else
        fail "tour $round : code de sortie $status"
    fi
    # The next round starts from this round's wanted state, whatever the kill did.
    cp $wanted/monture.kv2 $wanted/monture.hex saves/
    (($(date +%s) < deadline)) || break
done
echo "kill_save : $round tours (un passage : $((run_us / 1000)) ms) ; tués avant le remplacement" \
    "du .kv2 : $killed_old, après : $killed_new ; menés à leur fin : $finished"
((killed_old > 0)) || fail "aucun passage tué avant le remplacement : les instants sont mal placés"

# A complete save clears what the killed ones left.
run set saves/monture.kv2 JeuAD=200 >/dev/null
cmp saves/monture.kv2 new/monture.kv2
cmp saves/monture.hex new/monture.hex
left=$(ls -A saves | grep -vx -e monture.kv2 -e monture.hex || true)
[ -z "$left" ] || fail "restent après une sauvegarde complète : $left"
