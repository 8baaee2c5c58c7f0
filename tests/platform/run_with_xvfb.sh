#!/bin/sh
# Runs a test binary on a private Xvfb display with openbox as the window manager.
# Usage: run_with_xvfb.sh TEST_BINARY [ARGS...]
# Without Xvfb or openbox the binary runs offscreen, where its X11 tests skip and name what is
# missing (apt install xvfb openbox).
set -u

binary=$1
shift

missing=""
for tool in Xvfb openbox; do
    command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
    TRESSLIN_X11_SKIP="not installed:$missing" QT_QPA_PLATFORM=offscreen exec "$binary" "$@"
fi

work=$(mktemp -d)
xvfb_pid=""
wm_pid=""
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# -displayfd picks a free display number and writes it once the server takes clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
tries=0
while [ ! -s "$work/display" ]; do
    if ! kill -0 "$xvfb_pid" 2>/dev/null || [ "$tries" -ge 100 ]; then
        echo "run_with_xvfb.sh: Xvfb did not start:" >&2
        cat "$work/xvfb.log" >&2
        exit 1
    fi
    tries=$((tries + 1))
    sleep 0.1
done
DISPLAY=":$(cat "$work/display")"
export DISPLAY

# An empty config home keeps the user's openbox key bindings out of the test.
mkdir -p "$work/config" "$work/cache"
XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
    openbox --sm-disable --startup "touch $work/wm-ready" >"$work/openbox.log" 2>&1 &
wm_pid=$!
# Qt reads the window manager's abilities when it connects, so the manager must be up first.
tries=0
while [ ! -e "$work/wm-ready" ]; do
    if ! kill -0 "$wm_pid" 2>/dev/null || [ "$tries" -ge 100 ]; then
        echo "run_with_xvfb.sh: openbox did not start:" >&2
        cat "$work/openbox.log" >&2
        exit 1
    fi
    tries=$((tries + 1))
    sleep 0.1
done

QT_QPA_PLATFORM=xcb "$binary" "$@"
status=$?
if [ "$status" -ne 0 ]; then
    echo "run_with_xvfb.sh: openbox log:" >&2
    cat "$work/openbox.log" >&2
fi
exit "$status"
