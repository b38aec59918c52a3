#!/bin/bash
# Gives the build's Wine prefix the null display driver, so that the window's
# tests create real windows without an X display.
# usage: headless_prefix.sh PREFIX WINE
set -euo pipefail
export WINEPREFIX="$1" WINEDEBUG=-all
wine="$2"
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
# The driver is chosen when the prefix's server starts.
"$(dirname "$wine")/wineserver" -k 2>/dev/null || true
"$(dirname "$wine")/wineserver" -w 2>/dev/null || true
# Started again persistent, as the stage started it: a server started by a
# program ends a few seconds after its last client, and a program that
# starts while it ends races it. Then Wine's own services, alone, before the
# tests start several programs at once: a program that raced that start
# once ended with status 1 and nothing said.
"$(dirname "$wine")/wineserver" -p
"$wine" reg query 'HKCU\Software\Wine\Drivers' /v Graphics >/dev/null
