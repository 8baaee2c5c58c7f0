#!/bin/sh
# Runs a test program on a private X display with openbox as its window manager. Qt reads the
# window manager's abilities when it connects, so openbox must be up first.
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" sh -c '
    up=$(mktemp -u)
    XDG_CONFIG_HOME=/nonexistent openbox --sm-disable --startup "touch $up" >/dev/null 2>&1 &
    for _ in $(seq 100); do [ -e "$up" ] && break; sleep 0.1; done
    rm -f "$up"
    QT_QPA_PLATFORM=xcb "$@"' sh "$@"
