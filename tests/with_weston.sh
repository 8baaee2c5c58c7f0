#!/bin/sh
# Runs a test program on a private weston: headless, drawn by pixman so that its screenshots
# hold pixels, a red desktop and no panel, in a runtime folder of its own, with Qt's Wayland
# plugin and no X display. Where weston cannot start, the program runs on the offscreen platform
# and skips itself, told why in TRESSLIN_NO_WAYLAND.
run=$(mktemp -d) && chmod 700 "$run" || exit 1
cat >"$run/weston.ini" <<'INI'
[core]
idle-time=0
[shell]
background-color=0xffff0000
panel-position=none
animation=none
startup-animation=none
locking=false
INI
command -v weston >/dev/null &&
    XDG_RUNTIME_DIR=$run weston --backend=headless-backend.so --use-pixman --width=1024 --height=768 \
    --socket=tresslin-test --debug --config="$run/weston.ini" --log="$run/weston.log" &
weston=$!
for _ in $(seq 100); do kill -0 "$weston" 2>/dev/null || break; [ -S "$run/tresslin-test" ] && break; sleep 0.1; done
unset DISPLAY
if [ -S "$run/tresslin-test" ]; then
    XDG_RUNTIME_DIR=$run WAYLAND_DISPLAY=tresslin-test QT_QPA_PLATFORM=wayland "$@"
else
    TRESSLIN_NO_WAYLAND="weston did not start: $(tail -n 3 "$run/weston.log" 2>/dev/null)" \
        QT_QPA_PLATFORM=offscreen "$@"
fi
rc=$?
kill "$weston" 2>/dev/null
wait "$weston" 2>/dev/null
rm -rf "$run"
exit $rc
