#!/usr/bin/env bash
# Makes every picture of docs/ again from this tree: the Qt window under Xvfb
# (window.png, window-mark.png, window-night.png), the Win32 window under Wine
# (windows.png, windows-night.png, windows-monture.png) and the web page in
# headless chromium (web-*.png, by web/bench/screenshots.mjs). Builds what it
# needs first: `build` (the Qt window), `build-windows` (as the Windows stage
# configures it) and the site in build-web/site. Each window is driven with
# xdotool on an X display of its own, from a fresh home, so that no remembered
# choice (the night look) leaks into the pictures.
# usage: bash tools/pictures.sh [--only qt|windows|web]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
only=
if [ "${1:-}" = --only ]; then
    only=${2:?"--only qt|windows|web"}
elif [ -n "${1:-}" ]; then
    echo "usage: bash tools/pictures.sh [--only qt|windows|web]" >&2
    exit 2
fi
case "$only" in '' | qt | windows | web) ;; *) echo "usage: bash tools/pictures.sh [--only qt|windows|web]" >&2; exit 2 ;; esac
wanted() { [ -z "$only" ] || [ "$only" = "$1" ]; }
jobs=$(nproc 2>/dev/null || echo 2)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
title="Programme de configuration de KORVAL 2.4"
for tool in Xvfb xdotool import convert compare; do
    command -v "$tool" >/dev/null || { echo "pictures: $tool is missing" >&2; exit 1; }
done

# The window's controls are placed in layout pixels of a form 788 wide,
# scaled to the window's WIDTH (set by `xdotool getwindowgeometry --shell`).
at() { awk -v v="$1" -v w="$WIDTH" -v f="${2:-788}" 'BEGIN { printf "%d", v * w / f }'; }
# A click or keys go to the window under the pointer: there is no window manager.
clickAt() { # window x y (layout pixels)
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + $(at "$2"))) $((Y + $(at "$3"))) click 1
    sleep 1
}
typeIn() { # window x y text: replaces the box's text
    clickAt "$1" "$2" "$3"
    xdotool key ctrl+a type "$4"
    sleep 1
}
awaitWindow() { # name: prints its first visible window within 20 s
    local started=$SECONDS window=
    until window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [ -n "$window" ]; do
        ((SECONDS - started < 20)) || { echo "pictures: no window \"$1\" within 20 s" >&2; return 1; }
        sleep 0.2
    done
    echo "$window"
}
pointerAway() { xdotool mousemove 1270 790; sleep 1; }
# A grab of the screen's rectangle of a window, once two in a row agree
# (a switch of look or a new list repaints for a while; a caret blinks).
shoot() { # window picture [margin]
    local margin=${3:-0} started=$SECONDS area
    eval "$(xdotool getwindowgeometry --shell "$1")"
    area="$((WIDTH + 2 * margin))x$((HEIGHT + 2 * margin))+$((X - margin))+$((Y - margin))"
    import -window root -crop "$area" +repage "$2"
    while ((SECONDS - started < 20)); do
        sleep 1
        import -window root -crop "$area" +repage "$2.again.png"
        if (($(compare -metric AE "$2" "$2.again.png" null: 2>&1 || true) < 40)); then
            rm -f "$2.again.png"
            echo "pictures: ${2#"$root"/} ($(identify -format %wx%h "$2"))"
            return
        fi
        mv "$2.again.png" "$2"
    done
    echo "pictures: ${2#"$root"/} did not settle within 20 s" >&2
    return 1
}

buildQt() {
    [ -f build/CMakeCache.txt ] || cmake -S . -B build "${launcher[@]}"
    cmake --build build --target korvalset24 -j "$jobs"
}
# In a subshell, so that its exit ends its Xvfb and its work folder.
qtPictures() (
    local work xvfb program='' window
    work=$(mktemp -d)
    # A fresh home: no remembered night look, no settings of the user's.
    mkdir -p "$work/home/.config" "$work/run"
    chmod 700 "$work/run"
    export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/run
    local number=${KORVAL_PICTURES_QT_DISPLAY:-71} # the first free from there
    while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
    export DISPLAY=:$number QT_QPA_PLATFORM=xcb LANG=C.UTF-8
    unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_FONT_DPI
    Xvfb "$DISPLAY" -screen 0 1280x800x24 -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    trap 'kill $program $xvfb 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
    for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
    start() {
        build/src/app/korvalset24 "$@" >"$work/out.txt" 2>&1 &
        program=$!
        window=$(awaitWindow "$title")
        sleep 2
    }
    stop() { kill "$program"; wait "$program" 2>/dev/null || true; program=; }
    # The list and the tooltip lie within the window: no margin.
    grab() { pointerAway; shoot "$window" "$1"; }

    start
    clickAt "$window" 168 250 # « Période IT (ns) »: the candidate list
    grab docs/window.png
    xdotool key Escape
    typeIn "$window" 380 90 300 # PWM3, in the group box « PWM »
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # The pointer moves onto the box and rests there: its tooltip.
    xdotool mousemove $((X + $(at 380) + 6)) $((Y + $(at 90))) sleep 0.3 mousemove $((X + $(at 380))) $((Y + $(at 90)))
    sleep 3
    shoot "$window" docs/window-mark.png
    stop

    start --nuit
    typeIn "$window" 380 90 300
    clickAt "$window" 168 250
    grab docs/window-night.png
    stop
)

windowsPictures() {
    local dir=build-windows
    [ -f "$dir/CMakeCache.txt" ] ||
        cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake "${launcher[@]}"
    cmake --build "$dir" --target korvalset24 -j "$jobs"
    local wine exe=$root/$dir/src/windows/korvalset24.exe
    wine=$(sed -n 's/^KORVAL_WINE:FILEPATH=//p' "$dir/CMakeCache.txt")
    # In a subshell: wine_display.sh's exit ends its Xvfb and Wine server.
    (
        unset KORVAL_FIRST_DISPLAY # the first free display from :72
        # shellcheck source=../tests/windows/wine_display.sh
        . tests/windows/wine_display.sh pictures "${KORVAL_PICTURES_WINE_DISPLAY:-72}" "$wine" \
            "$root/$dir/wine-pictures"
        export WINEDLLOVERRIDES="mscoree=;mshtml="
        "$wine" wineboot.exe -i >/dev/null 2>&1 || true
        "$wine" reg delete 'HKCU\Software\korvalset24' /f >/dev/null 2>&1 || true
        start() {
            "$wine" "$exe" "$@" >"$work/out.txt" 2>&1 &
            program=$!
            window=$(awaitWindow "$title")
            sleep 3 # the defaults are shown
        }
        stop() { kill "$program"; wait "$program" 2>/dev/null || true; program=; }
        key() { # keys to the window: the pointer rests on a label-free corner
            eval "$(xdotool getwindowgeometry --shell "$window")"
            xdotool mousemove $((X + 2)) $((Y + 2)) key "$@"
            sleep 2
        }
        # Wine's frame is not drawn without a window manager: a margin of the
        # screen's black around the client area, as the README has shown it.
        start
        clickAt "$window" 168 250
        pointerAway
        shoot "$window" docs/windows.png 8
        key Escape
        key alt+m
        local dialog
        dialog=$(awaitWindow Monture)
        eval "$(xdotool getwindowgeometry --shell "$dialog")"
        xdotool mousemove $((X + 2)) $((Y + 2)) key ctrl+Tab
        sleep 2
        # The calibration page, its layout 720 wide: the drift, then the time.
        for field in "44 15.04" "100 1:00"; do
            read -r top text <<<"$field"
            eval "$(xdotool getwindowgeometry --shell "$dialog")"
            xdotool mousemove $((X + $(at 240 720))) $((Y + $(at $((top + 10)) 720))) click 1
            xdotool key ctrl+a type "$text"
            sleep 1
        done
        pointerAway
        shoot "$dialog" docs/windows-monture.png
        stop

        start --nuit
        clickAt "$window" 168 250
        pointerAway
        shoot "$window" docs/windows-night.png 8
        stop
    )
}

webPictures() {
    bash tools/ci/web.sh build
    [ -d web/node_modules/@playwright/test ] ||
        (cd web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund)
    (cd web && node bench/screenshots.mjs)
    ls -l docs/web-*.png
}

if wanted qt; then buildQt && qtPictures; fi
if wanted windows; then windowsPictures; fi
if wanted web; then webPictures; fi
echo "pictures: done"
