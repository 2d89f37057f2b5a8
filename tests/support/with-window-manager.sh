#!/bin/sh
# Runs a test program on a screen of its own under a real window manager,
# which frames and places windows as on a user's desktop.
exec xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
i=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
    i=$((i + 1))
    [ "$i" -gt 100 ] && break
    sleep 0.1
done
"$@"
rc=$?
kill "$wm"
exit "$rc"' sh "$@"
