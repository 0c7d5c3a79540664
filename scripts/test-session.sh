#!/usr/bin/env bash
# Runs a command inside a private desktop session: an X server (Xvfb) with a small EWMH
# window manager (openbox) and a private D-Bus session bus. Everything ends with the command.
set -euo pipefail

display=""
for n in $(seq 90 199); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "test-session: no free X display" >&2; exit 1; }

Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() { kill "$watcher" 2>/dev/null || true; kill "$wm" 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; wait 2>/dev/null || true; }
wm=""
watcher=""
trap cleanup EXIT
for _ in $(seq 1 100); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.05
done
export DISPLAY=":$display"
unset WAYLAND_DISPLAY XAUTHORITY
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# The window manager announces itself on the root window; wait for it.
for _ in $(seq 1 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done
# Tests of windows fail for want of a window manager: say so when it goes before the end.
( while kill -0 "$wm" 2>/dev/null; do sleep 1; done
  echo "test-session: the window manager (openbox) ended at $(date +%T) while the command ran" >&2 ) &
watcher=$!
dbus-run-session -- "$@"
