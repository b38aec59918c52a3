#!/bin/bash
# A real start of korvalset24.exe under Wine on a virtual X display: the
# window titled "Programme de configuration de KORVAL 2.4" must map within
# 20 s, and a real click in « Période IT (ns) » must open the candidate list
# (the pixels of the list's place change). With a 4th argument, a picture of
# the window with its list open is written there.
# usage: real_start.sh KORVALSET24.EXE WINE PREFIX [PICTURE.png]
set -euo pipefail
exe=$1 wine=$2 prefix=$3 picture=${4:-}
title="Programme de configuration de KORVAL 2.4"
. "$(dirname "$0")/wine_display.sh" real_start 90 "$wine" "$prefix" import compare
# The prefix is made before the clock starts: a first start of Wine builds it.
"$wine" wineboot.exe -i >/dev/null 2>&1 || true

started=$SECONDS
"$wine" "$exe" >"$work/out.txt" 2>&1 &
program=$!
window=
until window=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1) && [ -n "$window" ]; do
    if ((SECONDS - started > 20)); then
        echo "real_start: no window \"$title\" within 20 s" >&2
        exit 1
    fi
    sleep 0.2
done
echo "real_start: the window mapped after $((SECONDS - started)) s"
sleep 3 # the defaults are shown
eval "$(xdotool getwindowgeometry --shell "$window")"
# The X window is the client area, laid out at WIDTH / 788 pixels a layout pixel.
at() { awk -v v="$1" -v w="$WIDTH" 'BEGIN { printf "%d", v * w / 788 }'; }
list_area="$(at 249)x$(at 145)+$((X + $(at 248)))+$((Y + $(at 128)))"
import -window root -crop "$list_area" "$work/before.png"
xdotool mousemove $((X + $(at 168))) $((Y + $(at 250))) click 1
sleep 2
import -window root -crop "$list_area" "$work/after.png"
changed=$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1 || true)
changed=${changed%% *}
echo "real_start: $changed pixels of the list's place changed"
if ! [ "${changed%.*}" -gt $(( $(at 249) * $(at 145) / 4 )) ] 2>/dev/null; then
    echo "real_start: the click did not open the candidate list" >&2
    exit 1
fi
if [ -n "$picture" ]; then
    xdotool mousemove $((X + WIDTH + 40)) $((Y + HEIGHT + 40)) # no tooltip over the picture
    sleep 1
    margin=8
    import -window root -crop "$((WIDTH + 2 * margin))x$((HEIGHT + 2 * margin))+$((X - margin))+$((Y - margin))" +repage "$picture"
    echo "real_start: $picture written"
fi
