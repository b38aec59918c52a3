#!/usr/bin/env bash
# `tools/build.sh release`: builds every download in Release into dist/ (the
# two Debian packages, the Windows zip and installer, the web page's zip),
# writes SHA256SUMS beside them and lists them. The same commit gives the
# same bytes, whatever the folder, time, umask, TZ, LANG or user:
# SOURCE_DATE_EPOCH (default: the last commit's date) is every file's time,
# and cmake/KorvalReproducible.cmake removes the folders from the programs.
# The build folders are build-release/{native,arm64,windows,web}.
set -euo pipefail
cd "$(dirname "$0")/../.."
started=$(date +%s)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
version=$(sed -n 's/^project(korvalset24 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
jobs=$(nproc 2>/dev/null || echo 2)
out=build-release
release=(-DCMAKE_BUILD_TYPE=Release -DKORVAL_BUILD_TESTS=OFF -DKORVAL_BUILD_BENCH=OFF)
laps=""
lap() { laps+=" $1 $(($(date +%s) - started)) s,"; }

deb() { # build folder, cmake options...: configure, build, cpack
    local dir=$1
    shift
    cmake -S . -B "$dir" "${release[@]}" "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    rm -f "$dir"/korvalset24_*.deb
    (cd "$dir" && cpack -G DEB >/dev/null)
}
deb "$out/native"
lap amd64
deb "$out/arm64" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-aarch64-linux-gnu.cmake
lap arm64

cmake -S . -B "$out/windows" "${release[@]}" \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake >/dev/null
cmake --build "$out/windows" --target windows-zip windows-installer -j "$jobs"
lap Windows

# The page, as tools/ci/web.sh builds it (MinSizeRel, the web build's own
# type: it is downloaded), without ccache.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
[ -w /usr/share/emscripten/cache ] || export EM_CACHE=${EM_CACHE:-$HOME/.cache/emscripten}
env -u CMAKE_CXX_COMPILER_LAUNCHER emcmake cmake -S . -B "$out/web" -DKORVAL_WEB=ON \
    -DKORVAL_BUILD_TESTS=OFF -DCMAKE_CXX_COMPILER_LAUNCHER= >/dev/null
cmake --build "$out/web" --target web-zip -j "$jobs"
lap web

# In byte order, whatever the locale's.
files=("$out/windows/korvalset24-$version-setup.exe" "$out/web/korvalset24-$version-web.zip"
    "$out/windows/korvalset24-$version-win64.zip" "$out/native/korvalset24_${version}_amd64.deb"
    "$out/arm64/korvalset24_${version}_arm64.deb")
names=("${files[@]##*/}")
rm -rf dist
mkdir dist
cp "${files[@]}" dist/
chmod 0644 dist/*
(cd dist && sha256sum -- "${names[@]}" >SHA256SUMS && sha256sum --quiet -c SHA256SUMS)
echo "dist/ (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH, commit $(git rev-parse --short HEAD)) :"
(cd dist && stat -c '%10s  %n' "${names[@]}" SHA256SUMS)
echo "release : $(($(date +%s) - started)) s (cumulé :${laps%,})"
