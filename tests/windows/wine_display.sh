# Sourced by the Wine tests that need a real X display: checks their tools,
# starts Xvfb on the first free display from FIRST (or from
# $KORVAL_FIRST_DISPLAY, for suites run beside others'), points Wine at PREFIX
# and ends it all at exit (the program started as $program, Wine's server,
# Xvfb, the work folder $work).
# usage: . wine_display.sh NAME FIRST WINE PREFIX TOOL...
display_test=$1 number=${KORVAL_FIRST_DISPLAY:-$2} display_wine=$3 display_prefix=$4
shift 4
for tool in Xvfb xdotool "$@"; do
    command -v "$tool" >/dev/null || { echo "$display_test: $tool is missing" >&2; exit 1; }
done
work=$(mktemp -d)
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
export DISPLAY=:$number WINEPREFIX=$display_prefix WINEDEBUG=-all
wineserver="$(dirname "$display_wine")/wineserver"
Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
program=
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null
    "$wineserver" -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
