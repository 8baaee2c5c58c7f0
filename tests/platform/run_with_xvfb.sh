#!/bin/sh
# Runs a test binary on a private Xvfb display with openbox as the window manager:
#   run_with_xvfb.sh TEST_BINARY [ARGS...]
# Without Xvfb or openbox it runs offscreen, where its desktop tests skip.
set -u
if ! command -v Xvfb >/dev/null || ! command -v openbox >/dev/null; then
    QT_QPA_PLATFORM=offscreen exec "$@"
fi
work=$(mktemp -d)
pids=""
trap 'kill $pids 2>/dev/null; wait; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

# Waits up to 10 s for file to be non-empty while process pid lives.
await() {
    for _ in $(seq 100); do
        [ -s "$1" ] && return 0
        kill -0 "$2" 2>/dev/null || break
        sleep 0.1
    done
    echo "run_with_xvfb.sh: $3 did not start" >&2
    cat "$work/$3.log" >&2
    exit 1
}

# -displayfd picks a free display and writes its number once the server takes clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/Xvfb.log" &
pids="$pids $!"
await "$work/display" $! Xvfb
export DISPLAY=":$(cat "$work/display")"
# An empty config home keeps the user's openbox bindings out; Qt reads the window manager's
# abilities when it connects, so openbox must be up first.
XDG_CONFIG_HOME="$work" openbox --sm-disable --startup "sh -c 'echo up >$work/wm'" \
    >"$work/openbox.log" 2>&1 &
pids="$pids $!"
await "$work/wm" $! openbox
QT_QPA_PLATFORM=xcb "$@"
