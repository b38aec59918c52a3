#!/usr/bin/env bash
# The web page: `web.sh build` builds it into build-web/site/ with emscripten;
# `web.sh test NATIVE_BUILD` also has the model behind the window (from the
# native build) run the sessions of web/tests, then drives Debian's chromium,
# headless, with Playwright against the site served from 127.0.0.1.
# `web.sh test NATIVE_BUILD WEB_ZIP` tests the page of a release's zip
# instead, unpacked into build-web/release-site/, without building one.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
site=$root/build-web/site
build_site() {
    # Debian's emscripten finds its JavaScript modules there, whichever node runs it.
    export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
    # Its libraries are built once into its cache: the user's own when the shared one is not writable.
    [ -w /usr/share/emscripten/cache ] || export EM_CACHE=${EM_CACHE:-$HOME/.cache/emscripten}
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    emcmake cmake -S . -B build-web -DKORVAL_WEB=ON "${launcher[@]}" >/dev/null
    cmake --build build-web -j "$(nproc 2>/dev/null || echo 2)"
}
if [ "${1:-build}" = test ] && [ -n "${3:-}" ]; then
    site=$root/build-web/release-site
    zip=$(realpath "$3")
    rm -rf "$site"
    mkdir -p "$site"
    (cd "$site" && cmake -E tar xf "$zip")
else
    build_site
fi
size=$(du -sb "$site" | cut -f1)
echo "site: $size bytes in ${site#"$root"/}/"
# The whole site must load quickly on a slow line and fit any cache.
[ "$size" -lt 1048576 ] || { echo "le site dépasse 1 Mio ($size octets)" >&2; exit 1; }
[ "${1:-build}" = test ] || exit 0

native=$root/${2:-build}
"$native/tests/web/form_sessions" web/tests/sessions.txt web/tests/files >build-web/expected.json
# The board's program memory read back, as the window suites open it.
bash tests/support/make_hex_dumps.sh "$native/src/cli/korvalset24-cli" "$root/build-web/hex-dumps"
cd web
PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund
KORVAL_EXPECTED=$root/build-web/expected.json KORVAL_HEX_DUMPS=$root/build-web/hex-dumps \
    KORVAL_CLI=$native/src/cli/korvalset24-cli KORVAL_SITE=$site npx playwright test
