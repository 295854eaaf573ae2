#!/usr/bin/env bash
# The real program under a real X server, driven by real input: clicks, Ctrl+click, Shift+Down,
# the space bar and the Delete key on the global list, each question answered with a key press;
# then the program is closed, saves, and the saved list must hold exactly the rows left.
#
#   x11_selection_test.sh VERDAN_BINARY
# VERDAN_TEST_DISPLAY=NN runs the X server on :NN; by default the server picks a free display.
set -u

verdan_binary=${1:?usage: $0 VERDAN_BINARY}
unset QT_QPA_PLATFORM # the X server's own platform
SKIP=77

skip() {
    echo "SKIPPED: $*"
    exit "$SKIP"
}
fail() {
    echo "FAILED: $*"
    for log in "$work/xvfb.log" "$work/verdan.log"; do
        [ -s "$log" ] && { echo "--- $(basename "$log")"; tail -n 20 "$log"; }
    done
    exit 1
}

for tool in Xvfb xdotool xclip python3; do
    command -v "$tool" >/dev/null || skip "$tool is missing (scripts/test installs xvfb, xdotool, xclip)"
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# --- the X server -------------------------------------------------------------------------------
source "$(dirname "$0")/../support/xvfb.sh"
start_xvfb

# --- a portable installation: the program folder is the executable's folder -------------------------
crlf() { printf '%s\r\n' "$@"; }
cp "$verdan_binary" "$work/verdan"
mkdir "$work/listes"
{
    crlf "[GENERAL]" "Edit_nom_fic_media.text=essai"
    crlf "[Form1]" "Left=0" "Top=0" "Width=1300" "Height=740" "WindowState=0"
    crlf "[Options]" "CheckBox_mode_avancer=1"
} >"$work/verdan.ini"
title() { printf 't%02d' "$1"; }
{
    printf 'n\tnom-disque\tm\xe9dia\ttitre\text\tdate\tr\xe9pertoire\ttaille\tdrive\ttype-disque\tNS-disque\tlibre\ttotal\t x\r\n'
    for i in $(seq 30); do
        printf '%d\tFILMS\tvid\xe9o\t%s\t.avi\t2020-01-01 10:00\t:\\films\t700 Mo\tE\tUSB\t1234ABCD\t1,00 Go\t2,00 Go\t\r\n' \
            "$i" "$(title "$i")"
    done
} >"$work/listes/essai.txt"

"$work/verdan" >"$work/verdan.log" 2>&1 &
app_pid=$!

# --- helpers --------------------------------------------------------------------------------------
# The newest visible window whose title matches, waited for.
window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$app_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
# Answers the next question or report with Return (its first button: Oui, or OK).
answer() {
    local box
    box=$(window "^$1") || fail "no \"$1\" box appeared ($2)"
    xdotool windowfocus --sync "$box" key Return
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name "^$1" 2>/dev/null | grep -qx "$box" || return 0
        sleep 0.1
    done
    fail "the \"$1\" box stayed open ($2)"
}
# The clipboard once the program has put something there, waiting at most $1 tenths of a second.
clipboard() {
    local text
    for _ in $(seq "$1"); do
        text=$(xclip -selection clipboard -o 2>/dev/null)
        [ -n "$text" ] && break
        sleep 0.1
    done
    printf '%s' "$text"
}
# Two columns far apart, taken in turn, so that two clicks never make a double click.
column_x=()
turn=0
click_at() { # y [modifier]
    local x=${column_x[$turn]}
    turn=$((1 - turn))
    xdotool mousemove --sync "$x" "$1"
    if [ -n "${2:-}" ]; then
        xdotool keydown "$2" click 1 keyup "$2"
    else
        xdotool click 1
    fi
    sleep 0.1
}

# --- start-up: the load question, then the global list window from the focused button --------------
answer Confirmation "loading the list"
form1=$(window '^V E R D A N   v 1 \. 9 .*essai') || fail "the collection window is not shown"
xdotool windowfocus --sync "$form1" key space
form2=$(window '^V E R D A N   v 1 \. 9$') || fail "the global list window is not shown"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$form2")"
column_x=($((X + 80)) $((X + 330)))

# Where the rows are: clicking a row puts its title on the clipboard. From the bottom of the table
# upwards (the empty part of the table below the rows ignores a click) to the first row found, then
# pixel by pixel to that row's upper edge and the next one's.
# (Not in a subshell: the column taken in turn must alternate.)
row_at() { # y -> $clicked: the title clicked, or nothing
    printf '' | xclip -selection clipboard >/dev/null 2>&1
    click_at "$1"
    clicked=$(clipboard 5)
}
y=$((Y + HEIGHT - 40))
clicked=
while [ "$y" -gt "$Y" ]; do
    row_at "$y"
    [[ "$clicked" =~ ^t[0-9][0-9]$ ]] && break
    y=$((y - 6))
done
[[ "$clicked" =~ ^t[0-9][0-9]$ ]] || fail "no row of the table answered a click"
edges=()
current=$clicked
while [ "${#edges[@]}" -lt 2 ] && [ "$y" -gt "$Y" ]; do
    y=$((y - 1))
    row_at "$y"
    t=$clicked
    if [ "$t" != "$current" ]; then
        edges+=("$((y + 1)):$current")
        current=$t
    fi
done
[ "${#edges[@]}" -eq 2 ] || fail "could not find the rows' edges"
lower_top=${edges[0]%%:*}
upper_top=${edges[1]%%:*}
lower_title=${edges[0]#*:}
row_height=$((lower_top - upper_top))
lower_row=$((10#${lower_title#t}))
first_top=$((lower_top - (lower_row - 1) * row_height))
[ "$row_height" -ge 8 ] && [ "$row_height" -le 40 ] || fail "rows $row_height pixels high?"
row_y() { echo $((first_top + ($1 - 1) * row_height + row_height / 2)); }

# Clicks row N (1 = first data row) and checks that the program took the expected title.
click_row() { # row expected_title [modifier]
    printf '' | xclip -selection clipboard >/dev/null 2>&1
    click_at "$(row_y "$1")" "${3:-}"
    local got
    got=$(clipboard 30)
    [ "$got" = "$2" ] || fail "a click on row $1 took \"$got\", not \"$2\""
}
key() {
    xdotool windowfocus --sync "$form2"
    xdotool key "$@"
    sleep 0.25
}

# --- Ctrl+click and the space bar mark rows 3 and 7 only ------------------------------------------
click_row 3 t03
click_row 7 t07 ctrl
key space

# --- Ctrl+click of rows 2 and 5, then Effacer (supp): those two go, not rows 2 to 5 -------------
click_row 2 t02
click_row 5 t05 ctrl
key Delete
answer Confirmation "deleting rows 2 and 5"

# --- a click moves the fixed end of a Shift selection -------------------------------------------
# Rows now: t01 t03 t04 t06 t07 ... so row r >= 5 holds t(r + 2).
click_row 5 t07
key shift+Down shift+Down
click_row 20 t22
key shift+Down
key Delete
answer Confirmation "deleting rows 20 and 21"

# --- closing the collection window quits: the save question, then the farewell -------------------
python3 - "$form1" <<'EOF'
# WM_DELETE_WINDOW, as a window manager sends it when the user closes a window.
import ctypes, sys
x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

class Event(ctypes.Union):
    _fields_ = [("client", ClientMessage), ("pad", ctypes.c_long * 24)]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
window = int(sys.argv[1])
event = Event()
event.client.type = 33  # ClientMessage
event.client.display = display
event.client.window = window
event.client.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.client.format = 32
event.client.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
x11.XFlush(display)
x11.XCloseDisplay(display)
EOF
answer Confirmation "the save question when quitting"
answer Information "the report of the save"
answer Information "the farewell"
for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not quit"
wait "$app_pid" 2>/dev/null
app_pid=

# --- the saved list: every row but the four deleted, marks on t03 and t07 only --------------------
expected=()
for i in $(seq 30); do
    case $i in 2 | 5 | 22 | 23) continue ;; esac
    mark=
    case $i in 3 | 7) mark=' x' ;; esac
    expected+=("$(title "$i")|$mark")
done
mapfile -t saved < <(tail -n +2 "$work/listes/essai.txt" | tr -d '\r' | awk -F'\t' '{ print $4 "|" $14 }')
if [ "${saved[*]}" != "${expected[*]}" ]; then
    echo "expected: ${expected[*]}"
    echo "saved:    ${saved[*]}"
    fail "the saved list does not hold exactly the rows left"
fi
[ -f "$work/listes/essai.bak" ] || fail "the save made no backup"
echo "PASSED: Ctrl+click, Shift+Down and Delete acted on exactly the highlighted rows (${#saved[@]} rows saved)"
