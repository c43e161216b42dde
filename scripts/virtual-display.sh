# virtual-display.sh -- sourced by the wine-run scripts: when there is no
# DISPLAY, start (or reuse) a virtual X display, Xvfb on :87 by default
# (STOMPARA_XVFB_DISPLAY), and export DISPLAY for it.

# Is the X server of display number $1 alive? A killed server leaves its
# lock file and socket behind, so ask for its process, not for the files.
xvfb_alive() {
  local pid
  pid=$(tr -d ' ' <"/tmp/.X$1-lock" 2>/dev/null) || return 1
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null
}

# Runs started side by side take turns here (a lock of the display's own),
# so one never clears the lock file and socket of a server another has just
# started.
if [ -z "${DISPLAY:-}" ]; then
  number=${STOMPARA_XVFB_DISPLAY:-87}
  if ! xvfb_alive "$number"; then
    exec 9>"/tmp/.stompara-X$number.lock"
    flock 9
    if ! xvfb_alive "$number"; then
      rm -f "/tmp/.X$number-lock" "/tmp/.X11-unix/X$number"
      Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 9>&- &
      for _ in $(seq 100); do
        [ -S "/tmp/.X11-unix/X$number" ] && xvfb_alive "$number" && break
        sleep 0.05
      done
    fi
    exec 9>&-
  fi
  export DISPLAY=:$number
fi
