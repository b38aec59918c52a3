#!/bin/bash
# korvalset24.exe --version answers on its output, without a window.
# usage: version.sh KORVALSET24.EXE WINE PREFIX VERSION
set -euo pipefail
exe=$1 wine=$2 version=$4
export WINEPREFIX=$3 WINEDEBUG=-all
answer=$("$wine" "$exe" --version | tr -d '\r')
echo "version: $answer"
[ "$answer" = "korvalset24 $version" ] || { echo "version: expected \"korvalset24 $version\"" >&2; exit 1; }
