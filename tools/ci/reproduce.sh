#!/usr/bin/env bash
# The release stage of `tools/build.sh test`, after tools/ci/release.sh made
# dist/ here: builds the same commit again from a fresh clone in another
# folder, with another umask, TZ, LANG, user name and home, and checks that
# both SHA256SUMS are the same. On a difference diffoscope shows the first
# lines of each differing file's difference, and the stage fails.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
started=$(date +%s)
[ -f dist/SHA256SUMS ] || { echo "pas de dist/SHA256SUMS : lancer d'abord tools/ci/release.sh" >&2; exit 1; }
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "l'arbre de travail a des changements non validés : dist/ ne vient pas du commit" \
        "$(git rev-parse --short HEAD) que la seconde construction reprend" >&2
    exit 1
fi
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

commit=$(git rev-parse HEAD)
work=$(mktemp -d /tmp/korvalset24-reproduce.XXXXXX)
clone=$work/un/autre/dossier/korvalset24
# A SOURCE_DATE_EPOCH given to the test is given to both builds; unset, each
# takes the commit's date. With ccache, the clone uses the caller's cache (its
# key holds the paths relative to the clone): only what differs is compiled.
clone_env=()
[ -n "${SOURCE_DATE_EPOCH:-}" ] && clone_env=(SOURCE_DATE_EPOCH="$SOURCE_DATE_EPOCH")
if [ "${CMAKE_CXX_COMPILER_LAUNCHER:-}" = ccache ]; then
    clone_env+=(CCACHE_DIR="$(ccache -k cache_dir)" CCACHE_BASEDIR="$clone")
fi
(
    # The clone too is made under this umask: its files are rw------- .
    umask 0077
    git clone --quiet --no-hardlinks "$root" "$clone"
    git -C "$clone" checkout --quiet --detach "$commit"
    mkdir "$work/home"
    env -u LC_ALL -u SOURCE_DATE_EPOCH TZ=KORV-14 LANG=C.UTF-8 LANGUAGE=fr USER=korvalbis \
        LOGNAME=korvalbis HOME="$work/home" "${clone_env[@]}" bash "$clone/tools/ci/release.sh"
) >"$work/release.log" 2>&1 || {
    tail -n 40 "$work/release.log" >&2
    echo "la seconde construction a échoué (journal : $work/release.log)" >&2
    exit 1
}

if cmp -s dist/SHA256SUMS "$clone/dist/SHA256SUMS"; then
    echo "reproductible : $clone/dist/ a les mêmes octets que dist/ (SOURCE_DATE_EPOCH=$epoch)"
    cat dist/SHA256SUMS
    rm -rf "$work"
    echo "étape de reproduction : $(($(date +%s) - started)) s"
    exit 0
fi
echo "NON REPRODUCTIBLE : les deux SHA256SUMS diffèrent" >&2
diff dist/SHA256SUMS "$clone/dist/SHA256SUMS" >&2 || true
for file in $(cd dist && ls korvalset24*); do
    cmp -s "dist/$file" "$clone/dist/$file" && continue
    echo "--- diffoscope $file (premières lignes)" >&2
    diffoscope --no-progress "dist/$file" "$clone/dist/$file" 2>&1 | head -n 60 >&2 || true
done
echo "les deux constructions restent dans $work" >&2
exit 1
