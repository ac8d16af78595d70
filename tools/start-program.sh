# Sourced by tools/play and tools/edit: sets up and builds one program and
# starts it in its start folder under build/release.
#
# start_in_folder TARGET PROGRAM FOLDER WHAT SCRIPT: TARGET is the program's
# build target, build/release/PROGRAM its executable and build/release/FOLDER
# its start folder; WHAT names it in the messages ("game", "editor") and
# SCRIPT is the calling script, for the hint.
start_in_folder() {
  local target=$1 program="$2" folder=$3 what=$4 script=$5
  local root
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  cd "$root"
  tools/setup
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
  cmake --build build/release -j "$(nproc)" --target "$target"
  local start="$root/build/release/$folder"
  program="$root/build/release/$program"
  if [ ! -d "$start/data" ]; then
    echo "The $what's start folder $start/data was not laid out by the build." >&2
    exit 1
  fi
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<TEXT
There is no display to show the $what on. To run it on a virtual one:
  xvfb-run -a -s "-screen 0 1280x1024x24" $script
TEXT
    exit 1
  fi
  cd "$start"
  # A bare X server (a virtual one) has no window manager. The program gets
  # one for its run that keeps its fixed-size windows at the size they ask for.
  if [ -n "${DISPLAY:-}" ] && command -v openbox >/dev/null && command -v xprop >/dev/null &&
     ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    trap 'kill "$wm" 2>/dev/null || true' EXIT
    for _ in $(seq 50); do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
      sleep 0.1
    done
    "$program"
    exit $?
  fi
  exec "$program"
}
