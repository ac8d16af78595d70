# Sourced by the scripts that drive a program on a virtual display of their
# own (tools/screenshots, tools/try-game, tools/try-editor): the display, the
# window manager a person asked for, windows and their client areas, and
# screenshots. Everything started through it ends when the script exits.
#
# TRY_WM=matchbox (or openbox) starts that manager on the display before the
# program; by default there is none, and tools/play and tools/edit start
# openbox as they do on any bare display.

session_pids=()
session_end() {
  local i
  for ((i = ${#session_pids[@]} - 1; i >= 0; i--)); do
    # A negative id is a process group: a program and what it started.
    kill -- "${session_pids[i]}" 2>/dev/null || true
  done
  wait 2>/dev/null || true
}
trap session_end EXIT

fail() {
  echo "$(basename "$0"): $*" >&2
  exit 1
}

# Starts Xvfb on a display number the server finds free and exports DISPLAY.
start_display() {
  local numfile
  numfile="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  session_pids+=($!)
  for _ in $(seq 100); do
    [ -s "$numfile" ] && break
    kill -0 $! 2>/dev/null || fail "Xvfb did not start"
    sleep 0.1
  done
  [ -s "$numfile" ] || fail "Xvfb gave no display number"
  export DISPLAY=":$(tr -d '\n' <"$numfile")"
  rm -f "$numfile"
  unset QT_QPA_PLATFORM WAYLAND_DISPLAY
  [ -n "${TRY_WM:-}" ] || return 0
  local wmlog
  wmlog="$(mktemp)"
  case "$TRY_WM" in
    matchbox) matchbox-window-manager -use_titlebar no >"$wmlog" 2>&1 & ;;
    openbox) openbox --sm-disable >"$wmlog" 2>&1 & ;;
    *) fail "TRY_WM=$TRY_WM: use matchbox or openbox" ;;
  esac
  session_pids+=($!)
  for _ in $(seq 200); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then
      rm -f "$wmlog"
      return 0
    fi
    kill -0 $! 2>/dev/null || break
    sleep 0.1
  done
  cat "$wmlog" >&2
  fail "the window manager $TRY_WM did not start"
}

# Runs a command in a process group of its own, ended on exit; prints nothing
# and sets $program to its process id.
start_program() {
  setsid "$@" &
  program=$!
  session_pids+=("-$program")
}

# Waits (up to $2 seconds, 120 by default) for a visible window whose title
# matches the pattern $1 and prints its id.
wait_window() {
  local id
  for _ in $(seq $((${2:-120} * 5))); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    [ -n "${program:-}" ] && ! kill -0 "$program" 2>/dev/null && fail "the program ended while waiting for the window \"$1\""
    sleep 0.2
  done
  fail "no window \"$1\" appeared"
}

# Waits until no visible window's title matches $1.
wait_gone() {
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  fail "$2"
}

# Sets X, Y, WIDTH, HEIGHT to the client area of window $1 on the screen:
# where the program's own drawing starts, whatever frame a window manager
# put round it. Waits until a manager has placed it (two equal readings).
client_area() {
  local last="" now
  for _ in $(seq 50); do
    now=$(xwininfo -id "$1" 2>/dev/null | awk '
      /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
      /^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF}
      /Map State: IsViewable/ {v = 1}
      END {if (v) printf "X=%d Y=%d WIDTH=%d HEIGHT=%d", x, y, w, h}')
    [ -n "$now" ] && [ "$now" = "$last" ] && { eval "$now"; return 0; }
    last=$now
    sleep 0.1
  done
  fail "window $1 has no steady place on the screen"
}

# A screenshot of the whole screen as $out/$1.png.
shot() {
  python3 "$(dirname "${BASH_SOURCE[0]}")/xshot.py" "$out/$1.png"
  echo "  $out/$1.png"
}

# Prints a checksum of the screen's pixels in the rectangle X Y WIDTH HEIGHT.
pixels() {
  python3 "$(dirname "${BASH_SOURCE[0]}")/xshot.py" /dev/stdout "$@" | md5sum | cut -d' ' -f1
}

# Waits (up to 5 seconds) until the pixels of the rectangle $2..$5 differ
# from the checksum $1; fails with the message $6 when they do not.
wait_change() {
  local before=$1 msg=$6
  shift
  for _ in $(seq 25); do
    [ "$(pixels "$1" "$2" "$3" "$4")" != "$before" ] && return 0
    sleep 0.2
  done
  fail "$msg"
}
