#!/bin/bash
# The night look of korvalset24.exe under Wine on a virtual X display. By
# day the window shows the lime period field and the grey displays with
# yellow text; Ctrl+N turns it, with its candidate list open, to pure red:
# not one pixel of its client area with green or blue above 0. The choice is
# stored (HKCU\Software\korvalset24, Nuit) and the next start is by night,
# its error message too (the tool's own window, answered with Enter); a
# second Ctrl+N brings the day back. "--nuit" starts by night without
# changing the stored choice. By night the window keeps the day's shapes where
# a box lies over a group box (EditPwm0, framed as the others), and a tooltip
# has no green or blue either, its frame included. With a 4th argument, a
# picture of the window by night with its list open is written there.
# usage: night_look.sh KORVALSET24.EXE WINE PREFIX [PICTURE.png]
set -euo pipefail
exe=$1 wine=$2 prefix=$3 picture=${4:-}
title="Programme de configuration de KORVAL 2.4"
key='HKCU\Software\korvalset24'
. "$(dirname "$0")/wine_display.sh" night_look 120 "$wine" "$prefix" import convert compare
fail() { echo "night_look: $*" >&2; exit 1; }
"$wine" wineboot.exe -i >/dev/null 2>&1 || true
"$wine" reg delete "$key" /f >/dev/null 2>&1 || true

windows() { xdotool search --onlyvisible --name "^$title\$" 2>/dev/null || true; }
start() {
    "$wine" "$exe" "$@" >"$work/out.txt" 2>&1 &
    program=$!
    local started=$SECONDS
    until [ -n "$(windows)" ]; do
        ((SECONDS - started < 20)) || fail "no window \"$title\" within 20 s"
        sleep 0.2
    done
    sleep 3 # the defaults are shown
}
stop() {
    kill "$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
    program=
}
# The X window of each is its client area: Wine's frame and title bar are not in it.
# A switch of look repaints every control, which takes seconds on a busy
# machine: the picture is taken once two in a row are the same, but for a
# blinking caret.
shoot() { # window picture
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove 1270 790 # no pointer or tooltip over the picture
    local started=$SECONDS
    sleep 0.5
    import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$2"
    while ((SECONDS - started < 20)); do
        sleep 1
        import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$work/again.png"
        # (A caret blinks: a few pixels may differ.)
        (($(compare -metric AE "$2" "$work/again.png" null: 2>&1 || true) < 40)) && return
        mv "$work/again.png" "$2"
    done
    fail "the window's picture did not settle within 20 s"
}
pixels() { convert "$1" -depth 8 txt:- | tail -n +2; }
notRed() { pixels "$1" | grep -vc ',0,0)  #' || true; }
count() { pixels "$1" | grep -c "($2)" || true; }
openList() {
    local window
    window=$(windows | head -1)
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + 168 * WIDTH / 788)) $((Y + 250 * WIDTH / 788)) click 1
    sleep 2
}
# Without a window manager the keys go to the window under the pointer.
press() { # window key
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + 2)) $((Y + 2)) key "$2"
    sleep 2
}
stored() { "$wine" reg query "$key" /v Nuit 2>/dev/null | grep -o '0x[0-9a-f]*' || echo none; }
dayColours() { # picture where
    local lime grey yellow
    lime=$(count "$1" 0,255,0) grey=$(count "$1" 128,128,128) yellow=$(count "$1" 255,255,0)
    echo "night_look: $2: $lime lime, $grey grey, $yellow yellow pixels"
    [ "$lime" -gt 200 ] && [ "$grey" -gt 1000 ] && [ "$yellow" -gt 20 ] ||
        fail "$2: the day colours are missing"
}
allRed() { # where: every window of the tool, by night
    local n=0 window bad
    for window in $(windows); do
        n=$((n + 1))
        shoot "$window" "$work/night-$n.png"
        bad=$(notRed "$work/night-$n.png")
        echo "night_look: $1, window $n ($(identify -format %wx%h "$work/night-$n.png")): $bad pixels with green or blue"
        [ "$bad" -eq 0 ] || fail "$1: not pure red"
        [ "$(count "$work/night-$n.png" 0,0,0)" -lt "$((WIDTH * HEIGHT))" ] || fail "$1: all black"
    done
    [ "$n" -ge "${2:-1}" ] || fail "$1: $n windows, ${2:-1} expected"
}
# EditPwm0's corner, one character a pixel: 1 where it is not the corner's
# background, whatever the colours (the layout's 366,6 to 395,31, the box and
# its frame, clear of the group box's lines).
corner() { # picture
    local x=$((366 * WIDTH / 788)) y=$((6 * WIDTH / 788))
    local w=$((29 * WIDTH / 788)) h=$((25 * WIDTH / 788))
    local pixels_at
    pixels_at=$(convert "$1" -crop "${w}x$h+$x+$y" +repage -depth 8 txt:- | tail -n +2 |
        sed 's/.*\(#[0-9A-Fa-f]\{6\}\).*/\1/')
    awk 'NR == 1 { background = $0 } { printf "%d", $0 != background } END { print "" }' <<<"$pixels_at"
}
sameCorner() { # day-picture night-picture
    local day night differ ink
    eval "$(xdotool getwindowgeometry --shell "$(windows | head -1)")"
    day=$(corner "$1") night=$(corner "$2")
    differ=$(awk -v a="$day" -v b="$night" 'BEGIN {
        for (i = 1; i <= length(a) || i <= length(b); i++) n += substr(a, i, 1) != substr(b, i, 1)
        print n + 0 }')
    ink=$(tr -cd 1 <<<"$day" | wc -c)
    echo "night_look: EditPwm0's corner, ${#day} pixels: $ink ink by day, $differ otherwise by night"
    [ "$ink" -gt $((${#day} / 4)) ] && [ "$ink" -lt "${#day}" ] || fail "EditPwm0's corner: no box by day"
    [ "$differ" -le $((${#day} / 100)) ] || fail "EditPwm0's corner by night: not the day's shapes"
}
# A tooltip by night: the pointer rests on « Pér. max (ms) »; the tooltip is
# the tool's window without a title.
tooltipRed() {
    local window tips=0 bad
    eval "$(xdotool getwindowgeometry --shell "$(windows | head -1)")"
    xdotool mousemove $((X + 360 * WIDTH / 788)) $((Y + 250 * WIDTH / 788))
    sleep 3
    for window in $(xdotool search --onlyvisible --class korvalset24 2>/dev/null); do
        [ -z "$(xdotool getwindowname "$window")" ] || continue
        eval "$(xdotool getwindowgeometry --shell "$window")"
        ((WIDTH > 20 && HEIGHT > 10)) || continue
        tips=$((tips + 1))
        import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$work/tip-$tips.png"
        bad=$(notRed "$work/tip-$tips.png")
        echo "night_look: a tooltip by night (${WIDTH}x$HEIGHT): $bad pixels with green or blue"
        [ "$bad" -eq 0 ] || fail "a tooltip by night: not pure red"
        [ "$(count "$work/tip-$tips.png" 0,0,0)" -lt "$((WIDTH * HEIGHT))" ] || fail "a tooltip by night: all black"
    done
    [ "$tips" -ge 1 ] || fail "no tooltip over « Pér. max (ms) »"
    xdotool mousemove 1270 790
    sleep 0.5
}

# By day, then Ctrl+N with the list open.
start
openList
shoot "$(windows | head -1)" "$work/day.png"
dayColours "$work/day.png" "by day"
press "$(windows | head -1)" ctrl+n
allRed "Ctrl+N, the list open"
sameCorner "$work/day.png" "$work/night-1.png"
[ "$(stored)" = 0x1 ] || fail "the night look is not stored: $(stored)"
if [ -n "$picture" ]; then
    eval "$(xdotool getwindowgeometry --shell "$(windows | head -1)")"
    margin=8
    import -window root -crop "$((WIDTH + 2 * margin))x$((HEIGHT + 2 * margin))+$((X - margin))+$((Y - margin))" +repage "$picture"
    echo "night_look: $picture written"
fi
stop

# The next start is by night, and so is its message; Enter answers it.
start 'Z:\nonexistent\absent.kv2'
allRed "restarted, with its message" 2
press "$(windows | tail -1)" Return
[ "$(windows | wc -l)" -eq 1 ] || fail "Enter did not answer the message"
openList
allRed "restarted, the list open"
sameCorner "$work/day.png" "$work/night-1.png"
press "$(windows | head -1)" ctrl+n
shoot "$(windows | head -1)" "$work/day-again.png"
dayColours "$work/day-again.png" "the second Ctrl+N"
[ "$(stored)" = 0x0 ] || fail "the day look is not stored: $(stored)"
stop

# --nuit: by night for once, the stored choice unchanged; the « Monture… »
# dialog by night, both its pages; « Carte… » by night, and by day again
# through Ctrl+N pressed in it.
start --nuit
tooltipRed
openList
allRed "--nuit"
sameCorner "$work/day.png" "$work/night-1.png"
press "$(windows | head -1)" Escape
press "$(windows | head -1)" alt+m
dialog=$(xdotool search --onlyvisible --name '^Monture$' | head -1)
[ -n "$dialog" ] || fail "Alt+M opened no « Monture » dialog"
for page in 1 2; do
    shoot "$dialog" "$work/mount-$page.png"
    [ -n "$picture" ] && cp "$work/mount-$page.png" "${picture%.png}-monture-$page.png"
    bad=$(notRed "$work/mount-$page.png")
    echo "night_look: the « Monture » dialog, page $page: $bad pixels with green or blue"
    [ "$bad" -eq 0 ] || fail "the « Monture » dialog by night, page $page: not pure red"
    press "$dialog" ctrl+Tab
done
# « Carte… » by night, then Ctrl+N inside it brings the day back to it too.
press "$dialog" Escape
press "$(windows | head -1)" alt+a
dialog=$(xdotool search --onlyvisible --name '^Carte$' | head -1)
[ -n "$dialog" ] || fail "Alt+A opened no « Carte » dialog"
shoot "$dialog" "$work/board.png"
[ -n "$picture" ] && cp "$work/board.png" "${picture%.png}-carte.png"
bad=$(notRed "$work/board.png")
echo "night_look: the « Carte » dialog: $bad pixels with green or blue"
[ "$bad" -eq 0 ] || fail "the « Carte » dialog by night: not pure red"
[ "$(stored)" = 0x0 ] || fail "--nuit changed the stored choice: $(stored)"
press "$dialog" ctrl+n
shoot "$dialog" "$work/board-day.png"
[ -n "$picture" ] && cp "$work/board-day.png" "${picture%.png}-carte-jour.png"
[ "$(notRed "$work/board-day.png")" -gt 1000 ] || fail "Ctrl+N in « Carte » left it by night"
stop
[ "$(stored)" = 0x0 ] || fail "--nuit then Ctrl+N: the day not stored: $(stored)"
echo "night_look: pure red by night, the day colours by day, remembered, --nuit for once"
