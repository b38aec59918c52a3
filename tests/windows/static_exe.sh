#!/bin/bash
# korvalset24.exe runs without any DLL beside it and stays small: only the
# system's DLLs among its imports, and under 3 MB.
# usage: static_exe.sh KORVALSET24.EXE OBJDUMP
set -euo pipefail
exe=$1 objdump=$2
imports=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
echo "static_exe: imports" $imports
status=0
if grep -i -E 'libstdc\+\+|libgcc|libwinpthread' <<<"$imports"; then
    echo "static_exe: a C++ runtime DLL is needed beside the program" >&2
    status=1
fi
[ -n "$imports" ] || { echo "static_exe: no import read from $exe" >&2; status=1; }
size=$(stat -c %s "$exe")
echo "static_exe: $size bytes"
if [ "$size" -ge $((3 * 1024 * 1024)) ]; then
    echo "static_exe: $exe is 3 MB or more" >&2
    status=1
fi
exit $status
