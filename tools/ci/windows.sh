#!/usr/bin/env bash
# The Windows stage of `tools/build.sh test`: cross-builds the Qt-free parts
# for 64-bit Windows with MinGW-w64, runs their suites under Wine, checks that
# every program is one .exe that needs no DLL of the compiler beside it, and
# that the Windows programs give the native build's bytes. A second build
# computes the extended type in software and runs the sessions on that path.
# Arguments: the native build folder (default: build), and the Windows build
# folder whose zip and installer the package tests check (default: this
# stage's own, which then makes them).
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
native=$root/${1:-build}
dir=build-windows
soft=build-windows-soft
packages=$dir
[ -n "${2:-}" ] && packages=$2
jobs=$(nproc 2>/dev/null || echo 2)
started=$(date +%s)

cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake \
    -DKORVAL_WINDOWS_PACKAGES_DIR="${2:+$root/$2}"
cmake --build "$dir" -j "$jobs"
# The portable zip and the installer, beside the .deb packages.
cmake --build "$packages" --target windows-zip windows-installer -j "$jobs"

# One Wine server for the whole stage, its prefix inside the build folder.
source tools/ci/wine_server.sh "$root/$dir"
trap '"$wineserver" -k || true' EXIT
run() { "$wine" "$@"; }

# One suite at a time, under the one server started above, which none of
# them restarts. Wine itself ends with status 1 and, under WINEDEBUG=-all,
# nothing said when the file named is not a program it can map (start.exe
# then looks for it under other extensions): so nothing here rebuilds a
# program while the suites run.
(cd "$dir" && ctest --output-on-failure -j 1)

# Static programs: no libstdc++, libgcc or winpthread DLL beside them, only
# the system's own.
# (Wine's prefixes hold system programs of their own, under names with blanks.)
while IFS= read -r -d '' exe; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | sort -u | tr '\n' ' ')
    echo "$exe : $dlls"
    if grep -qiE 'libstdc|libgcc|libwinpthread|Qt6' <<<"$dlls"; then
        echo "$exe a besoin d'une DLL du compilateur ou de Qt" >&2
        exit 1
    fi
done < <(find "$dir" -name '*.exe' -not -path '*/wine-*/*' -not -path '*/CMakeFiles/*' -print0 | sort -z)

# The form model's sessions: exactly the native bytes, on the x87 path and on
# the software one.
cmake -S . -B "$soft" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake \
    -DKORVAL_SOFT_EXTENDED=ON
cmake --build "$soft" -j "$jobs" --target form_sessions
work=$(mktemp -d)
trap 'rm -rf "$work"; "$wineserver" -k || true' EXIT
"$native/tests/web/form_sessions" web/tests/sessions.txt web/tests/files >"$work/native.json"
for build in "$dir" "$soft"; do
    run "$build/tests/web/form_sessions.exe" web/tests/sessions.txt web/tests/files >"$work/windows.json"
    cmp "$work/native.json" "$work/windows.json"
done
echo "form_sessions : $(wc -c <"$work/native.json") octets identiques à la construction native," \
    "Extended sur le x87 et en logiciel"

# The command line, once it is built for Windows: the Linux build's bytes
# for every verb (the killed saves are one of the suites above).
if [ -f "$dir/src/cli/korvalset24-cli.exe" ]; then
    KORVAL_EMULATOR=$wine bash tests/windows/cli_compare.sh "$native/src/cli/korvalset24-cli" \
        "$root/$dir/src/cli/korvalset24-cli.exe"
    # The command line's own battery of every verb, refusals and help included.
    printf '#!/bin/sh\nexec "%s" "%s" "$@"\n' "$wine" "$root/$dir/src/cli/korvalset24-cli.exe" \
        >"$work/korvalset24-cli-wine"
    chmod +x "$work/korvalset24-cli-wine"
    bash tests/cli/compare_builds.sh "$native/src/cli/korvalset24-cli" "$work/korvalset24-cli-wine"
    echo "compare_builds : la ligne de commande sous Wine donne les octets de la construction Linux"
else
    echo "pas de korvalset24-cli.exe dans $dir : la ligne de commande n'est pas comparée"
fi
ls -l "$packages"/korvalset24-*-win64.zip "$packages"/korvalset24-*-setup.exe
echo "étape Windows : $(($(date +%s) - started)) s"
