#!/usr/bin/env bash
# The arm64 stage of `tools/build.sh test`: cross-builds everything for 64-bit
# ARM, runs every suite under qemu-aarch64 (offscreen), checks that the arm64
# programs give the native build's bytes, and builds and checks the arm64
# Debian package. Arguments: the native build folder (default: build), and
# the arm64 package to check (default: the one cpack makes here).
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
native=$root/${1:-build}
dir=build-arm64
jobs=$(nproc 2>/dev/null || echo 2)

# The benchmarks are built natively; here they would measure qemu.
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-aarch64-linux-gnu.cmake -DKORVAL_BUILD_BENCH=OFF
cmake --build "$dir" -j "$jobs"
# The board's suites start their stand-in programmer as the tool starts an
# owner's programmer, by exec: qemu-user without binfmt cannot run an arm64
# program so started, and reports a failed start as a child ending with 127.
# They run natively, under Wine, and under the sanitizers.
(cd "$dir" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs" -E '^test_board')

# The same candidate lines, .kv2 and .hex as the native build, to the byte.
qemu=$(sed -n 's/^KORVAL_QEMU_AARCH64:FILEPATH=//p' "$dir/CMakeCache.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/native" "$work/arm64"
(cd "$work/native" && "$native/src/cli/korvalset24-cli" defaults -o d.kv2 >/dev/null &&
    "$native/src/cli/korvalset24-cli" search >search.txt)
(cd "$work/arm64" && "$qemu" "$root/$dir/src/cli/korvalset24-cli" defaults -o d.kv2 >/dev/null &&
    "$qemu" "$root/$dir/src/cli/korvalset24-cli" search >search.txt)
for f in search.txt d.kv2 d.hex; do
    cmp "$work/native/$f" "$work/arm64/$f"
done
[ "$(wc -l <"$work/arm64/search.txt")" -eq 293 ] && [ "$(stat -c %s "$work/arm64/d.kv2")" -eq 61 ] &&
    [ "$(stat -c %s "$work/arm64/d.hex")" -eq 214 ] || {
    echo "arm64 : 293 lignes, 61 et 214 octets attendus" >&2
    exit 1
}
echo "arm64 : recherche, .kv2 et .hex identiques à la construction native"

# The arm64 package: Depends read from the arm64 libraries, lintian run by
# the host. It is not installed here.
deb=${2:-}
if [ -z "$deb" ]; then
    rm -f "$dir"/korvalset24_*.deb
    (cd "$dir" && cpack -G DEB >/dev/null)
    deb=$(echo "$dir"/korvalset24_*_arm64.deb)
fi
[ -f "$deb" ] || { echo "pas de paquet arm64 : $deb" >&2; exit 1; }
echo "$deb : Depends: $(dpkg-deb -f "$deb" Depends)"
lintian --fail-on error "$deb"
