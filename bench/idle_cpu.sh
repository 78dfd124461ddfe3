#!/usr/bin/env bash
# What an idle main window costs: starts the program on a virtual display
# (Xvfb) in a fresh copy of sample/, accepts the start-up chooser, and with
# the main window open and nothing running measures the share of one core
# the process uses over SECONDS (default 60), then counts its system calls
# over 10 seconds with strace (when installed).
#
#   bench/idle_cpu.sh [SECONDS]
#
# IDLE_WM=openbox runs that window manager on the display; IDLE_SCREEN
# gives Xvfb's screen (default 1280x1024x24); IDLE_CLICK="X Y ..." clicks
# those points of the main window before measuring (a tree node, a field).
#
# Needs Xvfb and xdotool (apt-get install xvfb xdotool) and a built
# build/app/ecrprog.
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
program="$src/build/app/ecrprog"
[ -x "$program" ] || { echo "not built: $program" >&2; exit 2; }
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install xvfb xdotool)" >&2; exit 2; }
done

work="$(mktemp -d)"
xvfb=""
wm=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cp -R "$src/sample" "$work/home"
cp "$src"/lang/Testi.* "$work/home/"
mkdir -p "$work/config"

# A free display number.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 "${IDLE_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=":$display"
if [ -n "${IDLE_WM:-}" ]; then
  "$IDLE_WM" >/dev/null 2>&1 &
  wm=$!
  sleep 1
fi
export XDG_CONFIG_HOME="$work/config"

(cd "$work/home" && exec "$program") >"$work/out.txt" 2>&1 &
app=$!
# The chooser: its default choice taken with Enter.
chooser=""
for _ in $(seq 100); do
  chooser="$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | head -1 || true)"
  [ -n "$chooser" ] && break
  sleep 0.1
done
[ -n "$chooser" ] || { echo "the chooser did not show" >&2; cat "$work/out.txt" >&2; exit 1; }
sleep 1
xdotool windowfocus --sync "$chooser" key Return
sleep 5  # the main window opens and settles
main="$(xdotool search --onlyvisible --pid "$app" | head -1)"
set -- ${IDLE_CLICK:-}
while [ $# -ge 2 ]; do
  xdotool mousemove --window "$main" "$1" "$2" click 1
  shift 2
  sleep 1
done
kill -0 "$app" 2>/dev/null || { echo "the program ended" >&2; cat "$work/out.txt" >&2; exit 1; }

ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
hz="$(getconf CLK_TCK)"
before="$(ticks)"
sleep "$seconds"
after="$(ticks)"
used=$((after - before))
echo "idle main window: $used ticks of 1/$hz s in $seconds s =" \
  "$(awk -v t="$used" -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.2f%% of a core", 100 * t / hz / s }')"

if command -v strace >/dev/null; then
  echo "system calls in 10 s:"
  timeout -s INT 10 strace -c -f -p "$app" -e trace=poll,ppoll,write,writev,sendmsg,recvmsg,read 2>&1 |
    sed -n '/% time/,$p' || true
fi
