#!/usr/bin/env bash
# Runs a plain suite once more as the user nobody, with no group but nogroup,
# when the suites run as root (as CI does): the cases a user without
# privileges meets, read-only files and folders among them. Skipped (77)
# otherwise: the suite itself has just run without privileges.
# Arguments: the suite's program, then its own arguments.
set -euo pipefail
if [ "$(id -u)" != 0 ]; then
    echo "pas root : la suite a déjà tourné sans privilèges"
    exit 77
fi
program=$1
shift
# A copy nobody can reach whatever the build folder's rights, and a folder of
# nobody's own for the suite's files.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
cp "$program" "$work/"
mkdir "$work/tmp"
chown nobody:nogroup "$work/tmp"
cd "$work/tmp"
# shellcheck disable=SC2086 # the emulator is one line of words
setpriv --reuid=nobody --regid=nogroup --clear-groups env TMPDIR="$work/tmp" \
    ${KORVAL_EMULATOR:-} "$work/$(basename "$program")" "$@"
