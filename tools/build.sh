#!/usr/bin/env bash
# Installs what is missing on Debian 12, builds, and then either starts the
# program (run) or runs every test headless (test), the second time under
# AddressSanitizer and UndefinedBehaviorSanitizer, then runs the fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-run}
packages=(cmake g++ make qt6-base-dev qt6-translations-l10n libbenchmark-dev)
[ "$mode" = test ] && packages+=(srecord clang libclang-rt-14-dev)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)
build() { # dir, cmake options...
    local dir=$1
    shift
    cmake -S . -B "$dir" "$@"
    cmake --build "$dir" -j "$jobs"
}

case "$mode" in
run)
    build build -DKORVAL_BUILD_TESTS=OFF -DKORVAL_BUILD_BENCH=OFF
    exec ./build/src/app/korvalset24
    ;;
test)
    build build
    (cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")
    build build-asan -DKORVAL_SANITIZE=ON -DKORVAL_BUILD_BENCH=OFF
    (cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j "$jobs")
    # Fuzzing: each target runs 30 s on a copy of its starting corpus; a crash,
    # a broken property or an input slower than 10 s fails the run.
    CC=clang CXX=clang++ build build-fuzz -DKORVAL_FUZZ=ON
    for target in number_text parameter_file hex_import set_field; do
        work=$(mktemp -d)
        cp -r "tests/fuzz/corpus/$target/." "$work"
        dict=()
        [ -f "tests/fuzz/dict/$target.dict" ] && dict=("-dict=tests/fuzz/dict/$target.dict")
        "./build-fuzz/tests/fuzz/fuzz_$target" "${dict[@]}" -max_total_time=30 -timeout=10 \
            -artifact_prefix=build-fuzz/ "$work"
        rm -rf "$work"
    done
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
