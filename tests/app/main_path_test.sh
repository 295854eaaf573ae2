#!/usr/bin/env bash
# The user's main path through the real program, with real clicks and keys on a real X server:
# choose a disk, tick its folders, list its media, add them to the global list, open the global
# list, search, open a row, mark rows and copy them to the favourites folder, quit and save. Then
# the files the program wrote are compared byte for byte with tests/data/main_path/, which is
# what the Linux program and the Windows program must both write for the same disk.
#
#   main_path_test.sh linux VERDAN_BINARY   as root: the disk is a labelled ext4 image, mounted in
#                                           a private mount namespace
#   main_path_test.sh wine VERDAN_EXE       under Wine ($WINEPREFIX made, $WINEPATH naming Qt's
#                                           DLLs): the disk is a Wine drive made by
#                                           scripts/wine-drives
# VERDAN_TEST_DISPLAY=NN runs the X server on :NN; by default the server picks a free display.
# VERDAN_TEST_SHOTS=FOLDER keeps a picture of the screen at each step there.
set -u

mode=${1:?usage: $0 linux|wine PROGRAM}
program=${2:?usage: $0 linux|wine PROGRAM}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
expected_dir="$root/tests/data/main_path"
SKIP=77
unset QT_QPA_PLATFORM # the X server's own platform
# File dates are written in local time: the same zone on both systems.
export TZ=UTC

skip() {
    echo "SKIPPED: $*"
    exit "$SKIP"
}
fail() {
    echo "FAILED: $*"
    shot failure
    for log in "$work/xvfb.log" "$work/verdan.log"; do
        [ -s "$log" ] && { echo "--- $(basename "$log")"; grep -v '^ALSA' "$log" | tail -n 20; }
    done
    [ -s "$work/map.txt" ] && { echo "--- widget map"; grep -v '^\(Label\|Memo\)' "$work/map.txt" | head -n 60; }
    exit 1
}

for tool in Xvfb xdotool python3; do
    command -v "$tool" >/dev/null || skip "$tool is missing (scripts/test installs xvfb, xdotool)"
done

case $mode in
linux)
    [ "$(id -u)" -eq 0 ] || skip "mounting a labelled disk image needs root"
    for tool in unshare mkfs.ext4 mount; do
        command -v "$tool" >/dev/null || skip "$tool is missing"
    done
    # A private mount namespace: the image is mounted for this test only, and unmounted with it.
    if [ -z "${VERDAN_MAIN_PATH_UNSHARED:-}" ]; then
        VERDAN_MAIN_PATH_UNSHARED=1 exec unshare -m --propagation private bash "$0" "$@"
    fi
    ;;
wine)
    [ -n "${WINEPREFIX:-}" ] || skip "no Wine prefix (scripts/test-windows makes one)"
    command -v wine >/dev/null || skip "wine is missing"
    ;;
*) echo "usage: $0 linux|wine PROGRAM" >&2; exit 2 ;;
esac

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ "$mode" = wine ] && wineserver -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    [ "$mode" = linux ] && umount "$work/FILMS" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

shots=${VERDAN_TEST_SHOTS:-}
shot_number=0
shot() {
    [ -n "$shots" ] && command -v import >/dev/null || return 0
    shot_number=$((shot_number + 1))
    mkdir -p "$shots"
    import -window root "$shots/$(printf '%02d' "$shot_number")-$1.png" 2>/dev/null
}

# --- the X server -------------------------------------------------------------------------------
source "$here/../support/xvfb.sh"
start_xvfb

# --- the disk: the same files, names and dates on both systems ---------------------------------------
label="FILMS été"
serial=0b2c3d4e
fill_disk() { # root
    mkdir -p "$1/films/policiers" "$1/musique" "$1/documents"
    truncate -s 12000000 "$1/films/Alien.avi"
    truncate -s 3500000 "$1/films/Été à Paris.mkv"
    truncate -s 800000 "$1/films/policiers/Le Samouraï.mp4"
    truncate -s 4200000 "$1/musique/Chanson d'automne.mp3"
    printf 'notes\r\n' >"$1/documents/notes.txt"
    find "$1" -mindepth 1 -exec touch -h -d '2021-03-04 05:06:07' {} +
}

case $mode in
linux)
    truncate -s 64M "$work/films.img"
    # The serial of an ext4 disk is the end of its UUID.
    mkfs.ext4 -q -L "$label" -U "5e1f0c2a-7b3d-4c5e-9f60-0000$serial" "$work/films.img" ||
        skip "mkfs.ext4 failed"
    mkdir "$work/FILMS"
    mount -o loop "$work/films.img" "$work/FILMS" || skip "cannot mount a loop device here"
    rmdir "$work/FILMS/lost+found"
    fill_disk "$work/FILMS"
    drive_text="$work/FILMS"
    prog="$work/prog"
    mkdir -p "$prog" "$work/bin"
    cp "$program" "$prog/verdan"
    cp "$(dirname "$program")/liste_vide.txt0" "$prog/"
    # Opening a file: the desktop's opener is asked, and here only notes what it was given.
    printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s"\n' "$work/opened.txt" >"$work/bin/xdg-open"
    chmod +x "$work/bin/xdg-open"
    export PATH="$work/bin:$PATH"
    opened() { cat "$work/opened.txt" 2>/dev/null; }
    start_program() { VERDAN_WIDGET_MAP="$work/map.txt" "$prog/verdan" >"$work/verdan.log" 2>&1 & app_pid=$!; }
    ;;
wine)
    export WINEDEBUG=-all
    # W: and X:, beside the drives R: to V: that scripts/test-windows made for the other tests.
    "$root/scripts/wine-drives" W hd "$label" "$serial" >/dev/null
    disk_folder="$WINEPREFIX/verdan-drives/w"
    fill_disk "$disk_folder"
    drive_text='W:\'
    prog="$WINEPREFIX/drive_c/VERDAN"
    rm -rf "$prog" "$WINEPREFIX/drive_c/ouvert.txt"
    mkdir -p "$prog"
    cp "$program" "$prog/verdan.exe"
    cp "$(dirname "$program")/liste_vide.txt0" "$prog/"
    # Opening a file: the shell's association for the film types only notes what it was given.
    for ext in .avi .mkv .mp4 .mp3; do
        wine reg add "HKLM\\Software\\Classes\\$ext" /ve /d VerdanTest.Media /f >/dev/null 2>&1
    done
    wine reg add 'HKLM\Software\Classes\VerdanTest.Media\shell\open\command' /ve \
        /d 'C:\windows\system32\cmd.exe /c echo %1>>C:\ouvert.txt' /f >/dev/null 2>&1
    wineserver -w
    opened() { tr -d '\r' 2>/dev/null <"$WINEPREFIX/drive_c/ouvert.txt"; }
    # Qt's default font engine shows no text in Wine's edit boxes; FreeType does.
    start_program() {
        VERDAN_WIDGET_MAP="$work/map.txt" wine "$prog/verdan.exe" -platform windows:fontengine=freetype \
            >"$work/verdan.log" 2>&1 &
        app_pid=$!
    }
    ;;
esac
lists="$prog/listes"
# The default favourites folder, made by the user as the program asks.
favourites="$prog/favoris"
mkdir -p "$favourites"

# --- helpers --------------------------------------------------------------------------------------
# The widget map: "name x y width height text" per line, rewritten by the program a few times a
# second (VERDAN_WIDGET_MAP).
where() { # name -> "x y w h"
    awk -F'\t' -v n="$1" '$1 == n { print $2, $3, $4, $5; found = 1; exit } END { exit !found }' \
        "$work/map.txt" 2>/dev/null
}
text_of() { awk -F'\t' -v n="$1" '$1 == n { print $6; exit }' "$work/map.txt" 2>/dev/null; }
wait_for() { # name [tenths]
    for _ in $(seq "${2:-100}"); do
        where "$1" >/dev/null && return 0
        kill -0 "$app_pid" 2>/dev/null || fail "the program ended while waiting for $1"
        sleep 0.1
    done
    fail "$1 is not shown"
}
# The row of a list or table whose first cell is the text.
row_named() { # view text -> name of the row
    awk -F'\t' -v v="$1" -v t="$2" 'index($1, v "[") == 1 && $6 == t { print $1; exit }' "$work/map.txt"
}
click() { # name [x offset from the left, else the middle] [modifier]
    local x y w h
    read -r x y w h < <(where "$1") || fail "no $1 to click"
    local cx=$((x + ${2:-$((w / 2))}))
    xdotool mousemove --sync "$cx" $((y + h / 2))
    if [ -n "${3:-}" ]; then
        xdotool keydown "$3" click 1 keyup "$3"
    else
        xdotool click 1
    fi
    sleep 0.3
}
double_click_cell() { # view row column
    local rx ry rw rh cx cy cw ch
    read -r rx ry rw rh < <(where "$1[$2]") || fail "no row $2 in $1"
    read -r cx cy cw ch < <(where "$1.column[$3]") || fail "no column $3 in $1"
    xdotool mousemove --sync $((cx + cw / 2)) $((ry + rh / 2)) click --repeat 2 --delay 80 1
    sleep 0.3
}
# The program's two windows, so that a box is never taken for one of them (a report box bears
# the same title as the global-list window).
main_windows=()
# The newest visible window whose title matches, not one of the program's two windows, waited for.
window() {
    local id
    for _ in $(seq 150); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -vxF -f <(printf '%s\n' 0 "${main_windows[@]}") | tail -n1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$app_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
# Answers the next question or report with Return (its first button: Oui, or OK). Questions are
# titled "Confirmation", reports "Information" or the program's name.
answer() { # why
    local box
    box=$(window '^(Confirmation|Information|V E R D A N   v 1 \. 9)$') || fail "no box appeared ($1)"
    sleep 0.3
    shot "$(echo "$1" | tr ' ' '-')"
    xdotool windowfocus --sync "$box" key Return
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$box" || return 0
        sleep 0.1
    done
    fail "the box stayed open ($1)"
}
rows_of() { grep -c "^$1\[" "$work/map.txt" 2>/dev/null; }
wait_rows() { # view count
    for _ in $(seq 150); do
        [ "$(rows_of "$1")" = "$2" ] && return 0
        sleep 0.1
    done
    fail "$1 shows $(rows_of "$1") rows, not $2"
}

# --- 1. the collection window: a disk, its folders, its media ------------------------------------
start_program
wait_for window:Form1 300
wait_for StringGrid_hd
sleep 1
main_windows+=("$(xdotool search --onlyvisible --name '^V E R D A N   v 1 \. 9 .*liste_globale' | head -n1)")
shot start
if [ "$mode" = wine ]; then
    # A drive that appears while the program runs: the drive table follows when the system says
    # so (WM_DEVICECHANGE). Wine says so only for drives its mount manager mounts itself, not for
    # a drive mapped to a folder: what it did is reported, not required.
    before=$(rows_of StringGrid_hd)
    "$root/scripts/wine-drives" X floppy "CLÉ" 00001234 >/dev/null
    for _ in $(seq 50); do
        [ "$(rows_of StringGrid_hd)" -gt "$before" ] && break
        sleep 0.1
    done
    if [ "$(rows_of StringGrid_hd)" -gt "$before" ]; then
        echo "NOTE: a drive mapped while the program ran was listed (WM_DEVICECHANGE received)"
    else
        echo "NOTE: a drive mapped while the program ran was not announced by Wine (no WM_DEVICECHANGE)"
    fi
fi
disk_row=$(row_named StringGrid_hd "$drive_text")
[ -n "$disk_row" ] || fail "the disk $drive_text is not among the drives: $(grep '^StringGrid_hd\[' "$work/map.txt" | cut -f6 | tr '\n' ' ')"
click "$disk_row"
wait_rows CheckListBox_rep 4 # << racine >> and its three folders
click RadioGroup1_0 8 # tout sélectionner
shot folders
click BitBtn_lister_media
wait_rows ListBox_media_un_hd 4
answer "the end of the listing"
shot listed
click BitBtn_rajout_bd
answer "adding the found media"
answer "the report of the adding"

# --- 2. the global list: search, open, mark, copy -------------------------------------------------
click BitBtn_form2_bis
wait_for window:Form2
main_windows+=($(xdotool search --onlyvisible --name '^V E R D A N   v 1 \. 9$'))
wait_rows StringGrid1 4
shot global-list
# A first save: the one when quitting then keeps it as the backup.
click Button_enregistrer_liste
answer "the first save"
answer "the report of the first save"
click Edit1
xdotool type --delay 40 "alien"
click Button_rechercher
# The result shows in its own table.
wait_rows StringGrid_filter 1
double_click_cell StringGrid_filter 0 3
for _ in $(seq 100); do
    [ -n "$(opened)" ] && break
    sleep 0.1
done
case $mode in
linux) want_opened="file://$drive_text/films/Alien.avi" ;;
wine) want_opened='W:\films\Alien.avi' ;;
esac
[ "$(opened)" = "$want_opened" ] || fail "the opening gave \"$(opened)\", not \"$want_opened\""
click Button_init_filtre
wait_rows StringGrid1 4
# Rows 1 and 3 (Alien, Chanson d'automne) marked with the space bar after a click and a Ctrl+click.
click "StringGrid1[0]" 20
click "StringGrid1[2]" 20 ctrl
xdotool key space
sleep 0.5
shot marked
click Button_copie_multiple
answer "the multiple copy"
answer "the report of the copy"
# Le Samouraï deleted with the Delete key: the list to save when quitting has three rows.
click "StringGrid1[3]" 20
xdotool key Delete
answer "deleting a row"
wait_rows StringGrid1 3

# --- 3. quit: the save question, its report, the farewell -----------------------------------------
click Button_exit
answer "the question to quit"
answer "the save question when quitting"
answer "the report of the save"
for _ in $(seq 150); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not quit"
wait "$app_pid" 2>/dev/null
app_pid=

# --- 4. what is on disk ---------------------------------------------------------------------------
# What differs between the two systems by nature is masked on both sides: the drive (a letter or
# a mount point), the disk's free and total space, the program's folder in the settings and the
# windows' places. Everything else, bytes of the encoding and line ends included, must be equal.
mask_list() { # file -> the list with the drive, free and total cells as "*"
    awk 'BEGIN { FS = OFS = "\t" } NR > 1 { $9 = "*"; $12 = "*"; $13 = "*" } { print }' "$1"
}
mask_ini() {
    sed -e 's/^\(Label_rep_favori\.caption\|Label_repfic_media\.caption\)=.*/\1=*/' \
        -e 's/^\(Left\|Top\|Width\|Height\)=[0-9-]*/\1=*/' \
        -e 's/^\(form2\.Label_date_der_maj\.caption\)=.*/\1=*/' "$1"
}
list="$lists/liste_globale_médias.txt"
[ -f "$list" ] || fail "no list file saved: $(ls "$lists")"
compare() { # what expected actual
    if ! cmp -s "$2" "$3"; then
        echo "--- $1: expected / saved"
        diff <(od -c "$2") <(od -c "$3") | head -n 20
        fail "$1 differs from what is expected"
    fi
}
# VERDAN_TEST_KEEP=FOLDER keeps what the program wrote, to see it or to make the expected files.
if [ -n "${VERDAN_TEST_KEEP:-}" ]; then
    mkdir -p "$VERDAN_TEST_KEEP"
    cp "$list" "$VERDAN_TEST_KEEP/liste.txt"
    cp "$lists/liste_globale_médias.bak" "$VERDAN_TEST_KEEP/liste.bak" 2>/dev/null
    cp "$lists/liste_globale_médias.prm" "$VERDAN_TEST_KEEP/liste.prm"
    cp "$prog/verdan.ini" "$VERDAN_TEST_KEEP/verdan.ini"
fi
compare "the list file" <(mask_list "$expected_dir/liste.txt") <(mask_list "$list")
[ -f "$lists/liste_globale_médias.bak" ] || fail "the save made no backup"
compare "the backup" <(mask_list "$expected_dir/liste.bak") <(mask_list "$lists/liste_globale_médias.bak")
compare "the parameter file" <(mask_ini "$expected_dir/liste.prm") <(mask_ini "$lists/liste_globale_médias.prm")
compare "the settings file" <(mask_ini "$expected_dir/verdan.ini") <(mask_ini "$prog/verdan.ini")
for film in "Alien.avi" "Chanson d'automne.mp3"; do
    [ "$(stat -c %s "$favourites/$film" 2>/dev/null)" = "$(stat -c %s "$(find "${disk_folder:-$drive_text}" -name "$film")")" ] ||
        fail "$film was not copied whole to the favourites: $(ls "$favourites" 2>&1)"
done
[ "$(ls "$favourites" | wc -l)" = 2 ] || fail "the favourites hold more than the marked files: $(ls "$favourites")"
echo "PASSED: the main path on $mode wrote the expected files"
