#!/bin/bash
# Gives the build's Wine prefix the null display driver, so that the window's
# tests create real windows without an X display.
# usage: headless_prefix.sh PREFIX WINE
set -euo pipefail
export WINEPREFIX="$1" WINEDEBUG=-all
wine="$2"
wineserver=$(dirname "$wine")/wineserver
driver() {
    local answer
    answer=$("$wine" reg query 'HKCU\Software\Wine\Drivers' /v Graphics 2>/dev/null) || return 1
    grep -qw null <<<"$answer"
}
# Set once: the driver is chosen when the prefix's server starts, and this
# script restarts the server right after setting it. A prefix already set
# keeps its server: the Windows stage sets the driver before it starts its
# persistent server, which must then run to the stage's end.
driver && exit 0
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w 2>/dev/null || true
# The server and Wine's own services started again here, alone, before the
# tests start several programs at once. Their output is not the test's: the
# services outlive this script.
driver </dev/null >/dev/null 2>&1
