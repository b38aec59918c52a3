# Sourced by the Windows stage and tools/wine_soak.sh: the Windows build's
# Wine prefix set up for its suites, its one server started for them.
# Argument: the Windows build folder, absolute. Sets `wine`,
# `wineserver`, WINEPREFIX and WINEDEBUG. The caller stops the server
# (`"$wineserver" -k`) when it is done.
wine=$(sed -n 's/^KORVAL_WINE:FILEPATH=//p' "$1/CMakeCache.txt")
wineserver=$(dirname "$wine")/wineserver
export WINEPREFIX=$1/wine-prefix WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
"$wineserver" -k 2>/dev/null || true # a server left by an earlier run
"$wineserver" -w 2>/dev/null || true
# No Mono or Gecko to offer to install: nothing here needs them.
WINEDLLOVERRIDES="mscoree=;mshtml=" "$wine" wineboot --init 2>/dev/null
# The window's suites want the null display driver. It is set here, before
# the server that serves the suites starts, so that their fixture finds it
# set and leaves that server alone.
bash tests/windows/headless_prefix.sh "$WINEPREFIX" "$wine"
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w 2>/dev/null || true
# One persistent server for every suite: each program then starts in a
# fraction of a second, and no program starts while a server ends (Wine's
# own ends 3 s after its last program).
"$wineserver" -p
"$wine" wineboot 2>/dev/null
