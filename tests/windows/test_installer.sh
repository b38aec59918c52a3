#!/bin/bash
# setup.exe /S in the build's Wine prefix: the files, the Start-menu entry, the
# .kv2 type, the uninstall entry, the installed --version; then the registered
# quiet uninstaller leaves none of it, but keeps what is not the installer's.
#   test_installer.sh BUILD_DIR VERSION      (KORVAL_EMULATOR: the wine command)
set -u -o pipefail
build=$1 version=$2 failures=0
read -r -a wine <<<"${KORVAL_EMULATOR:?the Wine command of the Windows build}"
fail() { echo "FAIL: $*" && failures=$((failures + 1)); }
w() { timeout 120 "${wine[@]}" "$@" 2>/dev/null | tr -d '\r'; } # every Wine call is bounded
value() { # a registry value as `reg query` prints it ("" names the default)
    if [ -n "$2" ]; then set -- "$1" /v "$2"; else set -- "$1" /ve; fi
    w reg query "$@" | sed -n 's/^    [^ ].*    REG_[A-Z_]*    //p'
}
exists() { w reg query "$1" >/dev/null; }
cmake --build "$build" --target windows-installer >/dev/null || exit 1

dir_w="$(w cmd /c echo %LOCALAPPDATA%)\\Programs\\korvalset24"
dir=$(w winepath -u "$dir_w")
link="$(w winepath -u "$(w cmd /c echo %APPDATA%)\\Microsoft\\Windows\\Start Menu\\Programs")/Configuration KORVAL 2.4.lnk"
ext='HKCU\Software\Classes\.kv2' class='HKCU\Software\Classes\korvalset24.kv2'
entry='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\korvalset24'
exe="$dir_w\\korvalset24.exe" uninstaller="$dir_w\\desinstaller.exe"
files=(korvalset24.exe korvalset24-cli.exe COPYING LISEZMOI.txt desinstaller.exe)
values=( # key | value name ("" = default) | value
    "$ext||korvalset24.kv2"
    "$class\\DefaultIcon||$exe,0"
    "$class\\shell||open"
    "$class\\shell\\open||Ouvrir avec korvalset24"
    "$class\\shell\\open\\command||\"$exe\" \"%1\""
    "$entry|DisplayName|korvalset24 (configuration KORVAL 2.4)"
    "$entry|DisplayVersion|$version"
    "$entry|DisplayIcon|$exe,0"
    "$entry|UninstallString|\"$uninstaller\""
    "$entry|QuietUninstallString|\"$uninstaller\" /S"
    "$entry|NoModify|0x1"
)
clean() { # what a failed run may have left
    rm -rf "$dir" "$link"
    for key in "$ext" "$class" "$entry"; do w reg delete "$key" /f >/dev/null; done
}

install_and_check() {
    w "$build/korvalset24-$version-setup.exe" /S || fail "setup.exe /S exits with $?"
    for file in "${files[@]}"; do [ -f "$dir/$file" ] || fail "$file is not in $dir"; done
    [ -f "$link" ] || fail "no Start-menu entry $link"
    for line in "${values[@]}"; do
        IFS='|' read -r key name want <<<"$line"
        got=$(value "$key" "$name")
        [ "$got" = "$want" ] || fail "$key ${name:-(default)}: «$got», expected «$want»"
    done
    [ $(($(value "$entry" EstimatedSize))) -gt 0 ] || fail "no EstimatedSize"
    for program in korvalset24 korvalset24-cli; do
        got=$(w "$dir_w\\$program.exe" --version)
        [[ $got == *"$version"* ]] || fail "installed $program.exe --version: «$got»"
    done
}

# It copies itself away and returns at once: wait until it has removed itself.
uninstall_and_check() {
    program=$(value "$entry" QuietUninstallString | sed 's/^"\([^"]*\)".*/\1/')
    w "$program" /S || fail "the uninstaller exits with $?"
    for _ in $(seq 120); do
        [ -e "$dir/desinstaller.exe" ] || exists "$entry" || break
        sleep 0.5
    done
    for file in "${files[@]}"; do [ ! -e "$dir/$file" ] || fail "$file is left"; done
    [ ! -e "$link" ] || fail "the Start-menu entry is left"
    for key in "$class" "$entry"; do ! exists "$key" || fail "$key is left"; done
}

clean
install_and_check
uninstall_and_check
[ ! -e "$dir" ] || fail "the folder $dir is left"
! exists "$ext" || fail "$ext is left"

# A .kv2 type another program took since, and a file of the user's, stay.
install_and_check
w reg add "$ext" /ve /d autre.programme /f >/dev/null
echo "réglages" >"$dir/mes-reglages.kv2"
uninstall_and_check
[ "$(value "$ext" "")" = autre.programme ] || fail "the uninstaller took .kv2 from another program"
[ -f "$dir/mes-reglages.kv2" ] || fail "the uninstaller removed a file of the user's"
clean
[ "$failures" -eq 0 ] && echo "installer: all checks passed"
