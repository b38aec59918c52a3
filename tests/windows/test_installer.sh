#!/bin/bash
# Installs korvalset24-<version>-setup.exe silently in the build's Wine prefix,
# checks what it put there (files, Start-menu entry, .kv2 file type, uninstall
# entry, the installed programs' --version), runs the uninstaller it
# registered and checks that none of it is left. A second round checks what
# the uninstaller must leave: a .kv2 type another program took over since,
# and a file of the user's in the program's folder.
#   test_installer.sh BUILD_DIR VERSION      (KORVAL_EMULATOR: the wine command)
set -u
build=$1
version=$2
setup=$build/korvalset24-$version-setup.exe
read -r -a wine <<<"${KORVAL_EMULATOR:?the Wine command line of the Windows build}"
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Every Wine call is bounded; the first one may have to create the prefix.
run_wine() {
    timeout 120 "${wine[@]}" "$@"
}

# The value of a registry entry as `reg query` prints it ("" for the default).
reg_value() {
    local key=$1 name=$2 args
    if [ -z "$name" ]; then args=(/ve); else args=(/v "$name"); fi
    run_wine reg query "$key" "${args[@]}" 2>/dev/null | tr -d '\r' |
        sed -n 's/^    [^ ].*    REG_[A-Z_]*    //p' | head -n 1
}

key_exists() {
    run_wine reg query "$1" >/dev/null 2>&1
}

unix_path() {
    run_wine winepath -u "$1" 2>/dev/null | tr -d '\r'
}

windows_variable() {
    run_wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'
}

cmake --build "$build" --target windows-installer >/dev/null || {
    echo "FAIL: the installer does not build"
    exit 1
}

local_app_data=$(windows_variable LOCALAPPDATA)
install_dir_windows="$local_app_data\\Programs\\korvalset24"
install_dir=$(unix_path "$install_dir_windows")
shortcut=$(unix_path "$(windows_variable APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs")/"Configuration KORVAL 2.4.lnk"
[ -n "$local_app_data" ] && [ -n "$install_dir" ] || {
    echo "FAIL: Wine gives no %LOCALAPPDATA%"
    exit 1
}

extension_key='HKCU\Software\Classes\.kv2'
class_key='HKCU\Software\Classes\korvalset24.kv2'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\korvalset24'
installed_exe="$install_dir_windows\\korvalset24.exe"
uninstaller="$install_dir_windows\\desinstaller.exe"

# What the installer adds: key | value name ("" = default) | the value.
expected_values=(
    "$extension_key||korvalset24.kv2"
    "$class_key\\DefaultIcon||$installed_exe,0"
    "$class_key\\shell||open"
    "$class_key\\shell\\open||Ouvrir avec korvalset24"
    "$class_key\\shell\\open\\command||\"$installed_exe\" \"%1\""
    "$uninstall_key|DisplayName|korvalset24 (configuration KORVAL 2.4)"
    "$uninstall_key|DisplayVersion|$version"
    "$uninstall_key|Publisher|The korvalset24 developers"
    "$uninstall_key|DisplayIcon|$installed_exe,0"
    "$uninstall_key|InstallLocation|$install_dir_windows"
    "$uninstall_key|UninstallString|\"$uninstaller\""
    "$uninstall_key|QuietUninstallString|\"$uninstaller\" /S"
    "$uninstall_key|NoModify|0x1"
    "$uninstall_key|NoRepair|0x1"
)
installed_files=(korvalset24.exe korvalset24-cli.exe COPYING LISEZMOI.txt desinstaller.exe)

# A run that failed halfway may have left an installation behind.
remove_leftovers() {
    rm -rf "$install_dir" "$shortcut"
    for key in "$extension_key" "$class_key" "$uninstall_key"; do
        run_wine reg delete "$key" /f >/dev/null 2>&1
    done
}

install() {
    run_wine "$setup" /S || fail "setup.exe /S exits with $?"
}

check_installed() {
    local file entry key name want got
    for file in "${installed_files[@]}"; do
        [ -f "$install_dir/$file" ] || fail "$file is not in $install_dir"
    done
    [ -f "$shortcut" ] || fail "no Start-menu entry $shortcut"
    for entry in "${expected_values[@]}"; do
        IFS='|' read -r key name want <<<"$entry"
        got=$(reg_value "$key" "$name")
        [ "$got" = "$want" ] || fail "$key ${name:-(default)}: «$got», expected «$want»"
    done
    # reg prints in the console's code page: the accented name is read back
    # from regedit's export, which is UTF-16.
    local export=$build/windows/test-installer-class.reg
    run_wine regedit /E "$(run_wine winepath -w "$export" | tr -d '\r')" "${class_key/HKCU/HKEY_CURRENT_USER}"
    iconv -f UTF-16 -t UTF-8 "$export" 2>/dev/null | grep -q '^@="Fichier de paramètres KORVAL 2.4"' ||
        fail "the .kv2 type is not named « Fichier de paramètres KORVAL 2.4 »"
    got=$(reg_value "$uninstall_key" EstimatedSize)
    [ -n "$got" ] && [ $((got)) -gt 0 ] || fail "EstimatedSize «$got»"
    for program in korvalset24 korvalset24-cli; do
        got=$(run_wine "$install_dir_windows\\$program.exe" --version 2>&1 | tr -d '\r')
        [[ $got == *"$version"* ]] || fail "installed $program.exe --version: «$got»"
    done
}

# The uninstaller that « Applications et fonctionnalités » would start
# silently. It copies itself away and returns at once: wait for the folder,
# or for the uninstall key where a user's file keeps the folder.
uninstall() {
    local command program
    command=$(reg_value "$uninstall_key" QuietUninstallString)
    program=${command#\"}
    program=${program%%\"*}
    [ -n "$program" ] || {
        fail "no QuietUninstallString"
        return
    }
    run_wine "$program" /S || fail "the uninstaller exits with $?"
    for _ in $(seq 1 120); do
        if [ ! -e "$install_dir/desinstaller.exe" ] && ! key_exists "$uninstall_key"; then
            return
        fi
        sleep 0.5
    done
    fail "the uninstaller has not finished after 60 s"
}

check_removed() {
    local file
    for file in "${installed_files[@]}"; do
        [ ! -e "$install_dir/$file" ] || fail "$file is left in $install_dir"
    done
    [ ! -e "$shortcut" ] || fail "the Start-menu entry is left"
    for key in "$class_key" "$uninstall_key"; do
        ! key_exists "$key" || fail "$key is left"
    done
}

remove_leftovers

echo "Round 1: install, uninstall, nothing left"
install
check_installed
uninstall
check_removed
[ ! -e "$install_dir" ] || fail "the folder $install_dir is left"
! key_exists "$extension_key" || fail "$extension_key is left"

echo "Round 2: what is not the installer's stays"
install
run_wine reg add "$extension_key" /ve /d autre.programme /f >/dev/null
echo "réglages" >"$install_dir/mes-reglages.kv2"
uninstall
check_removed
[ "$(reg_value "$extension_key" "")" = autre.programme ] || fail "the uninstaller took .kv2 from another program"
[ -f "$install_dir/mes-reglages.kv2" ] || fail "the uninstaller removed a file of the user's"

remove_leftovers
if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "installer: all checks passed"
