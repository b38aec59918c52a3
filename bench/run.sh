#!/usr/bin/env bash
# The five figures the tool is held to, each beside its goal, from a Release
# build (the benchmarks' programs built) and the page's site. Whole processes
# are measured paired (A B A B...), every figure is a median; the machine may
# be shared, so the quartiles of each ratio are printed too.
# usage: bench/run.sh BUILD_DIR SITE_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "$1")
site=$(realpath "$2")
runs=${KORVAL_BENCH_RUNS:-40}       # window start-ups, each program
cli_runs=${KORVAL_BENCH_CLI_RUNS:-600}
clicks=${KORVAL_BENCH_CLICKS:-400}
page_runs=${KORVAL_BENCH_PAGE_RUNS:-100}

work=$(mktemp -d)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# A display of its own, from :74 on, and the window's settings apart from the user's.
number=74
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
export DISPLAY=:$number XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -m 700 "$XDG_RUNTIME_DIR"
Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 50); do xprop -root >/dev/null 2>&1 && break; sleep 0.1; done

field() { # name, line: the number after the word
    sed -n "s/.*\b$1 \([-0-9.]*\).*/\1/p" <<<"$2"
}
verdict() { # value, goal: "tenu" at or under the goal
    awk -v v="$1" -v g="$2" 'BEGIN { print (v <= g) ? "tenu" : "dépassé" }'
}
row() { # label, value, unit, goal, detail
    printf '%-34s %10s %-4s objectif ≤ %-6s %-8s %s\n' "$1" "$2" "$3" "$4" "$(verdict "$2" "$4")" "$5"
}
part() { # label, value, unit, detail: a share of a figure, without a goal of its own
    printf '%-34s %10s %-4s %-28s %s\n' "$1" "$2" "$3" "" "$4"
}

echo "Machine : $(nproc) cœurs, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1), charge $(cut -d' ' -f1-3 /proc/loadavg)"
bench=$build/bench

startup=$(QT_QPA_PLATFORM=xcb "$bench/korval_process_bench" --mapped "$runs" \
    "$build/src/app/korvalset24" -- "$bench/korval_bare_window")
row "Démarrage de la fenêtre (CPU)" "$(field ratio "$startup")" "x" 1.1 \
    "$(field cpuA "$startup") ms contre $(field cpuB "$startup") ms, quartiles $(field q1 "$startup")–$(field q3 "$startup"), $runs paires"
part "  défauts de page" "$(field faultsA "$startup")" "" \
    "contre $(field faultsB "$startup") pour la fenêtre nue (médianes)"
# Where the start-up goes: the form's controls as plain widgets (no model,
# scale, help or look) weighed against the bare window, and the real window
# against them.
controls=$(QT_QPA_PLATFORM=xcb "$bench/korval_process_bench" --mapped "$runs" \
    "$bench/korval_table_widgets" -- "$bench/korval_bare_window")
part "  dont les contrôles seuls" "$(field ratio "$controls")" "x" \
    "contrôles nus contre fenêtre nue, quartiles $(field q1 "$controls")–$(field q3 "$controls"), $(field faultsA "$controls") défauts de page"
own=$(QT_QPA_PLATFORM=xcb "$bench/korval_process_bench" --mapped "$runs" \
    "$build/src/app/korvalset24" -- "$bench/korval_table_widgets")
part "  dont le travail de la fenêtre" "$(field ratio "$own")" "x" \
    "fenêtre contre contrôles nus, quartiles $(field q1 "$own")–$(field q3 "$own")"
row "Démarrage de la fenêtre (mémoire)" "+$(field memDiff "$startup")" "Mio" 5 \
    "$(field memA "$startup") Mio contre $(field memB "$startup") Mio (VmHWM)"

click=$(QT_QPA_PLATFORM=offscreen "$bench/korval_click_bench" "$clicks")
row "Clic → liste peinte (Qt)" "$(field median "$click")" "ms" 2 \
    "quartiles $(field q1 "$click")–$(field q3 "$click"), $(field lines "$click") lignes, $clicks clics"

page=$(cd web && KORVAL_SITE=$site node bench/list_bench.mjs "$page_runs" | head -1)
last=$(sed -n 's/.*last line laid out (End) \([0-9.]*\) ms.*/\1/p' <<<"$page")
row "Clic → dernière ligne (page)" "$last" "ms" 4 "$(sed -n 's/^[^:]*: \([0-9]*\) lines.*/\1/p' <<<"$page") lignes, $page_runs clics"

cli=$("$bench/korval_process_bench" "$cli_runs" "$build/src/cli/korvalset24-cli" search -- \
    "$build/src/cli/korvalset24-cli" --version)
row "korvalset24-cli search / --version" "$(field ratio "$cli")" "x" 1.05 \
    "$(field cpuA "$cli") ms contre $(field cpuB "$cli") ms, quartiles $(field q1 "$cli")–$(field q3 "$cli"), $cli_runs paires"

echo
echo "La recherche de période elle-même (Google Benchmark, médiane de 5) :"
"$bench/korval_bench" --benchmark_filter='Core|Plain' --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true 2>/dev/null | grep -E '^(Benchmark|-|BM_.*_median)'
