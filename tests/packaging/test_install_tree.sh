#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR under a prefix of its own and
# checks that every file a desktop and Debian expect is in its place, that
# each validator accepts it and that the version is the project's everywhere.
# Arguments: build folder, project version.
set -euo pipefail
build=$1 version=$2
# A cross-build's programs run through its emulator (KORVAL_EMULATOR, words).
read -ra run <<<"${KORVAL_EMULATOR:-}"
id=io.github.korvalset24.KorvalSet24
mime=application/x-korval-kv2

fail() {
    echo "ÉCHEC : $*" >&2
    exit 1
}

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$build" --prefix /opt/korval >/dev/null
p=$root/opt/korval

files=(
    bin/korvalset24
    share/applications/$id.desktop
    share/icons/hicolor/scalable/apps/$id.svg
    share/metainfo/$id.metainfo.xml
    share/mime/packages/$id.xml
    share/man/man1/korvalset24.1.gz
    share/man/man1/korvalset24-cli.1.gz
    share/bash-completion/completions/korvalset24-cli
    share/doc/korvalset24/changelog.gz
    share/doc/korvalset24/copyright
)
files+=(bin/korvalset24-cli)
for f in "${files[@]}"; do
    [ -f "$p/$f" ] || fail "$f n'est pas installé"
done
[ -x "$p/bin/korvalset24" ] || fail "bin/korvalset24 n'est pas exécutable"

# Desktop entry: valid, opens .kv2 files with the program, shows the icon.
desktop=$p/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate refuse $desktop"
for line in 'Exec=korvalset24 %f' "MimeType=$mime;" "Icon=$id" 'Name[fr]=Configuration KORVAL 2.4'; do
    grep -qxF "$line" "$desktop" || fail "$desktop ne contient pas « $line »"
done

# AppStream metadata: valid, releases the project's version.
metainfo=$p/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net "$metainfo" >/dev/null || fail "appstreamcli refuse $metainfo"
grep -qF "<release version=\"$version\"" "$metainfo" || fail "$metainfo ne publie pas la version $version"
grep -qF "<mediatype>$mime</mediatype>" "$metainfo" || fail "$metainfo ne déclare pas $mime"

# File type: well-formed, and the database built from it maps *.kv2 and the
# two markers to the type.
xmllint --noout "$p/share/mime/packages/$id.xml" || fail "$id.xml est mal formé"
cp -r "$p/share/mime" "$root/mime"
update-mime-database "$root/mime" || fail "update-mime-database refuse $id.xml"
grep -q ":$mime:\*\.kv2$" "$root/mime/globs2" || fail "*.kv2 n'est pas associé à $mime"
grep -qaF "$mime" "$root/mime/magic" || fail "les marqueurs ne désignent pas $mime"

# Man pages and changelog: gzip -9n (no name, no time stamp), read by man
# without a warning.
for gz in "$p"/share/man/man1/*.gz "$p/share/doc/korvalset24/changelog.gz"; do
    gzip -t "$gz" || fail "$gz n'est pas un gzip valide"
    header=$(od -An -tx1 -N8 "$gz" | tr -d ' ')
    [ "${header:6:10}" = 0000000000 ] || fail "$gz garde un nom ou une date (gzip -n)"
done
for page in "$p"/share/man/man1/*.gz; do
    warnings=$(man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page : $warnings"
done
cli_page=$(MANWIDTH=200 man -E UTF-8 -l "$p/share/man/man1/korvalset24-cli.1.gz" 2>/dev/null)
for verb in defaults show set search hex import-hex diff check monture image programmer; do
    grep -qE "korvalset24-cli $verb( |$)" <<<"$cli_page" || fail "la page korvalset24-cli(1) ne montre pas $verb"
done

zcat "$p/share/doc/korvalset24/changelog.gz" | head -1 | grep -qF "korvalset24 ($version)" ||
    fail "le changelog ne commence pas par la version $version"
grep -qF /usr/share/common-licenses/GPL-3 "$p/share/doc/korvalset24/copyright" ||
    fail "le fichier copyright ne renvoie pas au texte de la licence"

# Bash completion: verbs first, then field names after "set FICHIER".
completions=$(
    bash -c '
        source /usr/share/bash-completion/bash_completion
        source "$1"
        complete_words() {
            COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
            COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}; COMPREPLY=()
            _korvalset24_cli korvalset24-cli "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}" 2>/dev/null
            echo "${COMPREPLY[*]}"
        }
        complete_words korvalset24-cli imp
        complete_words korvalset24-cli set a.kv2 Pwm8
        complete_words korvalset24-cli search --st
        complete_words korvalset24-cli monture --suivi lu
    ' _ "$p/share/bash-completion/completions/korvalset24-cli"
)
[ "$completions" = $'import-hex\nPwm8=\n--steps\nlunaire' ] || fail "complétion inattendue : $completions"

# The installed programs answer with the project's version.
# --help and --version need no display, even behind a Qt option.
[ "$("${run[@]}" "$p/bin/korvalset24" -style Fusion --version)" = "korvalset24 $version" ] ||
    fail "korvalset24 --version"
"${run[@]}" "$p/bin/korvalset24" --help | grep -qF '[FICHIER.kv2]' || fail "korvalset24 --help"
"${run[@]}" "$p/bin/korvalset24-cli" --version | grep -qF "$version" || fail "korvalset24-cli --version"
echo "installation complète et valide dans $p"
