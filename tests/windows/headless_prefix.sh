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
# The server and Wine's own services started again here, alone, before the
# tests start several programs at once: a program that raced that start
# once ended with status 1 and nothing said.
"$wine" reg query 'HKCU\Software\Wine\Drivers' /v Graphics >/dev/null
