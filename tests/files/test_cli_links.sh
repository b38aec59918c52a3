#!/bin/bash
# The command line saves through a Unix link to the file it names and leaves
# the link a link, natively and under Wine (which shows a live Unix link as
# the file it leads to). A dangling link too, natively: Wine does not show it.
#   test_cli_links.sh PATH/korvalset24-cli   (through $KORVAL_EMULATOR if set)
set -u
cli=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
read -r -a emulator <<<"${KORVAL_EMULATOR:-}"
cd "$work" || exit 1
fail() { echo "ÉCHEC : $*"; exit 1; }

"${emulator[@]}" "$cli" defaults -o real.kv2 || fail "defaults"
cp real.kv2 before.kv2
ln -s real.kv2 m.kv2
"${emulator[@]}" "$cli" set m.kv2 JeuAD=5 || fail "set à travers le lien"
[ -L m.kv2 ] || fail "le lien m.kv2 a été remplacé"
cmp -s real.kv2 before.kv2 && fail "real.kv2 n'a pas changé"
if [ -z "${KORVAL_EMULATOR:-}" ]; then
    ln -s gone.kv2 g.kv2
    "${emulator[@]}" "$cli" defaults -o g.kv2 || fail "defaults à travers un lien pendant"
    [ -L g.kv2 ] && [ -f gone.kv2 ] || fail "le lien pendant g.kv2 a été remplacé"
fi
ls -l
echo "les enregistrements passent par les liens, qui restent des liens"
