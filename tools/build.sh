#!/usr/bin/env bash
# Installs what is missing on Debian 12, builds, and then either starts the
# program (run) or runs every test headless (test): the suites, the Debian
# package's checks, the same for arm64 under qemu, the Qt-free parts for
# Windows under Wine, the web page in a headless
# browser, the fuzz targets, and the suites again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
# `bench` builds in Release into build-bench/ and prints the benchmarks'
# figures beside their goals (bench/run.sh).
# `web` builds the web page and serves it on http://127.0.0.1:8024/;
# `web-build` only builds it, into build-web/site/.
# `release` builds every download in Release into dist/, with SHA256SUMS
# (tools/ci/release.sh); `test` also builds it a second time from a fresh
# clone elsewhere and checks that both give the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-run}
# nlohmann-json3-dev: the command line's JSON (header-only, also for Windows).
packages=(cmake g++ make qt6-base-dev qt6-translations-l10n libbenchmark-dev nlohmann-json3-dev)
[ "$mode" = test ] && packages+=(srecord clang libclang-rt-14-dev libmpfr-dev pkg-config)
# The package stage: cpack's dependency scan, the validators, the man reader.
[ "$mode" = test ] && packages+=(dpkg-dev file desktop-file-utils appstream lintian
    shared-mime-info libxml2-utils man-db bash-completion)
# The arm64 stage: the cross compiler, the arm64 libraries (multiarch) and
# the emulator that runs the arm64 programs and suites.
[ "$mode" = test ] && packages+=(g++-aarch64-linux-gnu qemu-user qt6-base-dev:arm64
    libbenchmark-dev:arm64 libmpfr-dev:arm64)
# The Windows stage: the MinGW-w64 cross compiler (posix threads) and Wine,
# which runs the Windows programs and suites; Wine's own fonts, and a display
# (Xvfb), a pointer (xdotool) and a camera (ImageMagick) for the window's real
# start.
[ "$mode" = test ] && packages+=(g++-mingw-w64-x86-64-posix wine64 fonts-wine xvfb xdotool
    imagemagick)
# Its packages: the icon (rsvg-convert draws it, icotool makes the .ico) and
# the installer (makensis).
[ "$mode" = test ] && packages+=(librsvg2-bin icoutils nsis)

# The release: cpack's dependency scan, the arm64 and Windows cross
# compilers, the icon, the installer, the zips; the test's comparison of two
# releases (diffoscope).
case "$mode" in test | release)
    packages+=(dpkg-dev file g++-aarch64-linux-gnu qt6-base-dev:arm64 g++-mingw-w64-x86-64-posix
        librsvg2-bin icoutils nsis zip git)
    ;;
esac
[ "$mode" = test ] && packages+=(diffoscope-minimal)

# The benchmarks: a display (Xvfb) whose windows the harness watches (Xlib,
# xprop), and the page's in chromium (npm's Playwright).
[ "$mode" = bench ] && packages+=(xvfb x11-utils libx11-dev chromium)
[ "$mode" = bench ] && ! command -v npm >/dev/null && packages+=(npm)

# The web page: emscripten builds it, Python serves it, Debian's chromium runs
# its tests (driven from npm's Playwright, which downloads no browser).
case "$mode" in web | web-build | test | release | bench)
    packages+=(emscripten python3)
    command -v node >/dev/null || packages+=(nodejs)
    ;;
esac
if [ "$mode" = test ]; then
    packages+=(chromium)
    command -v npm >/dev/null || packages+=(npm)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    # arm64 packages need the architecture known to dpkg first (once).
    if [[ " ${missing[*]}" == *:arm64* ]] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
        $sudo dpkg --add-architecture arm64
    fi
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
    # The release into dist/: the package stages below check its files.
    bash tools/ci/release.sh
    # Package stage: check the release's .deb as desktops and Debian do, then
    # install it, run the installed programs and remove it.
    as_root=""
    [ "$(id -u)" -eq 0 ] || as_root=sudo
    deb=$(echo dist/korvalset24_*_amd64.deb)
    unpacked=$(mktemp -d)
    dpkg-deb -x "$deb" "$unpacked"
    desktop-file-validate "$unpacked"/usr/share/applications/*.desktop
    appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml
    rm -rf "$unpacked"
    lintian --fail-on error "$deb"
    $as_root dpkg -i "$deb"
    /usr/bin/korvalset24 --version
    /usr/bin/korvalset24-cli --version
    $as_root dpkg -r korvalset24
    # The same for 64-bit ARM: cross-build, every suite under qemu-aarch64,
    # the same bytes as here, the release's arm64 package.
    bash tools/ci/arm64.sh build dist/korvalset24_*_arm64.deb
    # The same for 64-bit Windows: cross-build, the Qt-free suites under Wine,
    # the same bytes as here, the release's zip and installer.
    bash tools/ci/windows.sh build build-release/windows
    # The release's web page in headless Chromium, against the native model.
    bash tools/ci/web.sh test build dist/korvalset24-*-web.zip
    # The same commit released again from a fresh clone elsewhere, under
    # another umask, TZ, LANG and user: the same bytes.
    bash tools/ci/reproduce.sh
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
    # Last, so that the run closes on the sanitizer suites' summary. This build
    # computes the extended type in software: the whole suite runs once on
    # the path of the processors without an x87.
    build build-asan -DKORVAL_SANITIZE=ON -DKORVAL_BUILD_BENCH=OFF -DKORVAL_SOFT_EXTENDED=ON
    (cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j "$jobs")
    ;;
release)
    bash tools/ci/release.sh
    ;;
web-build)
    bash tools/ci/web.sh build
    ;;
bench)
    # Release, in its own folder: the window, the command line and the
    # benchmarks' programs; the page's site; then the figures and their goals.
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKORVAL_BUILD_TESTS=OFF \
        -DKORVAL_BUILD_BENCH=ON "${launcher[@]}"
    cmake --build build-bench -j "$jobs" --target korvalset24 korvalset24-cli korval_bench \
        korval_click_bench korval_bare_window korval_table_widgets korval_process_bench
    bash tools/ci/web.sh build
    (cd web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund)
    exec bash bench/run.sh build-bench build-web/site
    ;;
web)
    bash tools/ci/web.sh build
    echo "La page : http://127.0.0.1:8024/"
    exec python3 -m http.server --bind 127.0.0.1 --directory build-web/site 8024
    ;;
*)
    echo "usage: $0 run|test|release|web|web-build|bench" >&2
    exit 2
    ;;
esac
