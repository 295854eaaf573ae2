#!/usr/bin/env bash
# What a Windows user downloads, tried under Wine as that user meets it, each in a Wine prefix of
# its own with no WINEPATH (nothing but what the package brings):
#  - the portable zip: unpacked, the program starts and shows its window, and every DLL of the
#    folder is one the program loaded (nothing more than it needs);
#  - the installer: a silent install per user, the program started from its Start-menu shortcut,
#    makes its catalogue folder and settings; a silent uninstall removes the program and its
#    shortcut and keeps the user's catalogues and settings.
#
#   windows_package_test.sh ZIP INSTALLER
set -u
zip=$(realpath "${1:?usage: $0 ZIP INSTALLER}")
installer=$(realpath "${2:?usage: $0 ZIP INSTALLER}")
unset WINEPATH QT_QPA_PLATFORM
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    WINEPREFIX="$work/portable" wineserver -k 2>/dev/null
    WINEPREFIX="$work/installed" wineserver -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*"
    [ -s "$work/verdan.log" ] && { echo "--- program output"; tail -n 30 "$work/verdan.log"; }
    exit 1
}

skip() { fail "$*"; }
source "$(dirname "$0")/../support/xvfb.sh"
start_xvfb

new_prefix() { # folder
    export WINEPREFIX="$1"
    wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; fail "wineboot failed"; }
    wineserver -w
}
# Waits for the collection window on the screen (its title bears the catalogue's name), then
# ends the program.
shown_then_ended() { # why
    for _ in $(seq 300); do
        xdotool search --onlyvisible --name '^V E R D A N .*liste_globale' >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdotool search --onlyvisible --name '^V E R D A N .*liste_globale' >/dev/null 2>&1 ||
        fail "the program did not show its window ($1)"
    wineserver -k
    wineserver -w
}

# --- the portable zip -------------------------------------------------------------------------------
new_prefix "$work/portable"
portable="$WINEPREFIX/drive_c/VERDAN"
(cd "$WINEPREFIX/drive_c" && cmake -E tar xf "$zip") || fail "the zip does not unpack"
[ -f "$portable/verdan.exe" ] || fail "no VERDAN/verdan.exe in the zip"
WINEDEBUG=+loaddll wine "$portable/verdan.exe" >"$work/verdan.log" 2>&1 &
shown_then_ended "portable"
# Wine names each module it loads; every DLL of the folder must be among them.
while IFS= read -r dll; do
    name=$(basename "$dll")
    grep -qi "Loaded L\".*\\\\$name\"" "$work/verdan.log" || fail "the zip holds $name, which the program never loads"
done < <(find "$portable" -iname '*.dll')
echo "portable zip: $(find "$portable" -type f | wc -l) files, all loaded"
[ -f "$portable/verdan.ini" ] && [ -d "$portable/listes" ] ||
    fail "the portable program did not keep its settings and catalogues beside itself"

# --- the installer --------------------------------------------------------------------------------
new_prefix "$work/installed"
wine "$installer" /S >"$work/install.log" 2>&1 || fail "the silent install failed"
wineserver -w
user_dir=$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
installed=$(winepath -u "$user_dir\\Programs\\VERDAN" 2>/dev/null)
[ -f "$installed/verdan.exe" ] || fail "nothing installed in $user_dir\\Programs\\VERDAN"
start_menu=$(winepath -u "$(wine cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')\\Microsoft\\Windows\\Start Menu\\Programs\\VERDAN")
[ -f "$start_menu/VERDAN.lnk" ] || fail "no Start-menu shortcut"
# The shortcut, opened as the Start menu opens it.
wine start /unix "$start_menu/VERDAN.lnk" >"$work/verdan.log" 2>&1
shown_then_ended "started from its shortcut"
[ -f "$installed/verdan.ini" ] || fail "the installed program kept no settings beside itself"
ls "$installed/listes/"*.prm >/dev/null 2>&1 || fail "the installed program made no catalogue"
printf 'a catalogue of the user\r\n' >"$installed/listes/mes_films.txt"

# The uninstaller copies itself away and runs from there: _?= keeps it in place, so that it is
# waited for.
wine "$installed/desinstaller.exe" /S "_?=$(winepath -w "$installed")" >"$work/uninstall.log" 2>&1 ||
    fail "the silent uninstall failed"
wineserver -w
for gone in verdan.exe Qt6Core.dll platforms/qwindows.dll help_verdan.pdf; do
    [ -e "$installed/$gone" ] && fail "the uninstall left $gone"
done
[ -e "$start_menu/VERDAN.lnk" ] && fail "the uninstall left the shortcut"
[ -f "$installed/listes/mes_films.txt" ] || fail "the uninstall removed the user's catalogue"
[ -f "$installed/verdan.ini" ] || fail "the uninstall removed the user's settings"
echo "PASSED: the zip runs with what it holds; the installer installs, starts, uninstalls and keeps the catalogues"
