# Sourced by the tests that drive a real program on a real X server: starts Xvfb at 1366×768 and
# exports DISPLAY. Needs $work (a folder of the test) and the functions skip and fail; sets
# xvfb_pid for the test's cleanup. VERDAN_TEST_DISPLAY=NN puts the server on :NN; by default the
# server picks a free display.
start_xvfb() {
    if [ -n "${VERDAN_TEST_DISPLAY:-}" ]; then
        [ -e "/tmp/.X$VERDAN_TEST_DISPLAY-lock" ] && skip "display :$VERDAN_TEST_DISPLAY is in use"
        Xvfb ":$VERDAN_TEST_DISPLAY" -screen 0 1366x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        DISPLAY=":$VERDAN_TEST_DISPLAY"
    else
        exec 3>"$work/display"
        Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        exec 3>&-
        for _ in $(seq 50); do
            [ -s "$work/display" ] && break
            sleep 0.1
        done
        DISPLAY=":$(head -n1 "$work/display")"
    fi
    export DISPLAY
    for _ in $(seq 50); do
        xdotool getdisplaygeometry >/dev/null 2>&1 && break
        kill -0 "$xvfb_pid" 2>/dev/null || skip "Xvfb could not start: $(tail -n 3 "$work/xvfb.log")"
        sleep 0.1
    done
    xdotool getdisplaygeometry >/dev/null 2>&1 || skip "Xvfb did not answer on $DISPLAY"
    # The server that answered must be ours, not one that was ending there.
    sleep 0.2
    kill -0 "$xvfb_pid" 2>/dev/null || skip "Xvfb could not start: $(tail -n 3 "$work/xvfb.log")"
}
