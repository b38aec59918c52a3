#!/usr/bin/env bash
# Runs the Windows build's programs under Wine many times, set up as the
# Windows stage sets them up (tools/ci/windows.sh: its prefix, its server,
# the display fixture), and keeps Wine's trace of every run that ends with a
# non-zero status and says nothing.
# usage: tools/wine_soak.sh [BUILD] [RUNS] [GAP]
#   BUILD  the Windows build folder (default: build-windows)
#   RUNS   how many programs to run (default: 2000)
#   GAP    seconds to wait between two runs, a range "A-B" drawn at random
#          (default: 0, back to back)
# KORVAL_SOAK_DEBUG chooses Wine's trace channels (default: +process,+seh,+loaddll).
# The traces go to BUILD/wine-soak/; the last line counts the runs and the
# silent failures, and the exit status is 1 if there was one.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dir=$root/${1:-build-windows}
runs=${2:-2000}
gap=${3:-0}
cli=$dir/src/cli/korvalset24-cli.exe
window=$dir/src/windows/korvalset24.exe
traces=$dir/wine-soak
rm -rf "$traces"
mkdir -p "$traces"
work=$(mktemp -d)

source tools/ci/wine_server.sh "$dir"
trap 'rm -rf "$work"; "$wineserver" -k || true' EXIT
# As the suites' fixture runs before them (it finds the driver set).
bash tests/windows/headless_prefix.sh "$WINEPREFIX" "$wine"

"$wine" "$cli" defaults -o "$work/a.kv2" </dev/null >/dev/null
# The programs the stage runs most, each a line of arguments (one program
# of the Windows build and what it is given).
programs=(
    "$cli --version"
    "$cli search"
    "$cli show $work/a.kv2 --json"
    "$cli set $work/a.kv2 V1AD=12 -o $work/b.kv2"
    "$cli hex $work/a.kv2 -o $work/a.hex"
    "$cli check $work/a.kv2"
    "$dir/tests/cli/test_cli_arguments.exe"
    "$dir/tests/files/test_file_store_plain.exe"
    "$window --version"
)

silent=0
for ((i = 0; i < runs; i++)); do
    read -r -a command <<<"${programs[i % ${#programs[@]}]}"
    status=0
    WINEDEBUG=${KORVAL_SOAK_DEBUG:-+process,+seh,+loaddll} "$wine" "${command[@]}" \
        </dev/null >"$work/out" 2>"$work/err" || status=$?
    # Wine's trace lines start with a thread id and a colon; the rest is the
    # program's own words.
    said=$(grep -cvE '^[0-9a-f]{4}:|^ *$' "$work/err" || true)
    if [ "$status" -ne 0 ] && [ "$said" -eq 0 ]; then
        silent=$((silent + 1))
        cp "$work/err" "$traces/run-$i-status-$status.trace"
        echo "run $i: ${command[*]} ended with $status and said nothing" >&2
    fi
    [ $(((i + 1) % 100)) -eq 0 ] && echo "$((i + 1)) runs, $silent silent"
    if [ "$gap" != 0 ]; then
        sleep "$(awk -v r="$gap" -v s="$RANDOM" 'BEGIN { split(r, a, "-"); srand(s);
            printf "%.2f", a[1] + rand() * (a[2] - a[1]) }')"
    fi
done
echo "$runs runs, $silent ended with a status and nothing said (traces: $traces)"
[ "$silent" -eq 0 ]
