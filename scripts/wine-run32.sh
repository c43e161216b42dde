#!/usr/bin/env bash
# wine-run32.sh -- run a 32-bit Windows program of this project under Wine 10.
#
# Usage: scripts/wine-run32.sh PROGRAM.exe [ARGS...]
#
# The 32-bit twin of wine-run.sh: the program runs under the Wine 10 of the
# Debian 13 root that scripts/wow64-root.sh sets up (once; see there), as a
# WoW64 process of a 64-bit prefix of its own (STOMPARA_WINEPREFIX32,
# default build/wineprefix32), created on first use. The working folder is
# kept, so relative file names work as with wine-run.sh; a virtual X display
# (Xvfb, of this machine, reached through /tmp/.X11-unix) is started when
# there is no DISPLAY. The program's exit status is this script's.
#
# How the 32-bit code runs (STOMPARA_WOW64_CPU):
#   native   Wine's own WoW64 mode: the 64-bit loader runs the program's
#            32-bit code in a 32-bit code segment of its 64-bit process.
#   qemu     Wine's 32-bit loader runs under qemu-i386 (an emulated CPU);
#            its 64-bit wineserver and services run natively. For kernels
#            that run no 32-bit code: there the 32-bit code segment is gone
#            and `int $0x80`, by which Wine sets up the program's %fs, faults.
#   auto     (default) native when a tiny 32-bit Windows program of this
#            project runs natively (tried once per prefix), else qemu.
#
# The root sees this tree, /tmp, the working folder, the folders of the
# absolute paths among the arguments and the folders STOMPARA_WINE32_SHARE
# names (separated by ":") at their own paths (so Z:\ paths match), plus
# /proc, /sys and /dev. These mounts live in a mount namespace of this run
# alone: they never show outside it and vanish with its last process. The
# run waits for the prefix's wineserver to end (about 2 s after the program:
# Wine's grace for its services), so when it returns nothing it started in the
# root is left. STOMPARA_WINE32_KEEP_SERVER=1 skips that wait, as wine-run.sh
# does: the next run reuses the wineserver and services (about 1.3 s a run
# instead of 4.5 s), which end by themselves 2 s after the last program, and
# with them this run's namespace.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${STOMPARA_WINEPREFIX32:-$root/build/wineprefix32}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEDEBUG=${WINEDEBUG:--all}
wine=/usr/lib/wine/wine64

if [ $# -eq 0 ]; then
  echo "usage: $0 PROGRAM.exe [ARGS...]" >&2
  exit 64
fi

if [ "${STOMPARA_WINE32_INSIDE:-}" != 1 ]; then
  wowroot=$("$root/scripts/wow64-root.sh" --path)

  source "$root/scripts/virtual-display.sh"

  mkdir -p "$(dirname "$WINEPREFIX")"
  export STOMPARA_WOW64_ROOT=$wowroot STOMPARA_WINE32_INSIDE=1
  exec unshare --mount --propagation private -- "$BASH" "$root/scripts/wine-run32.sh" "$@"
fi

# From here on: inside this run's own mount namespace.
wowroot=$STOMPARA_WOW64_ROOT
unset STOMPARA_WINE32_INSIDE

# Folders the root shows at their own paths. A folder the root has files in
# already (/usr, /etc, /root, ...) is left out: a mount would hide them.
shared=()
share() {
  local folder
  folder=$(realpath -s -m "$1")
  if [ "$folder" = / ] || [ -n "$(ls -A "$wowroot$folder" 2>/dev/null)" ]; then return 0; fi
  shared+=("$folder")
}
share "$root"
share "$PWD"
share "$(dirname "$WINEPREFIX")"
if [ -n "${XAUTHORITY:-}" ]; then share "$(dirname "$XAUTHORITY")"; fi
# Folders the program is told of some other way (a plug-in's settings):
# STOMPARA_WINE32_SHARE, separated by ":".
IFS=: read -r -a extra <<< "${STOMPARA_WINE32_SHARE:-}"
for folder in "${extra[@]}"; do
  if [ -d "$folder" ]; then share "$folder"; fi
done
for argument in "$@"; do
  case "$argument" in
    /*)
      if [ -d "$argument" ]; then share "$argument"
      elif [ -e "$argument" ]; then share "$(dirname "$argument")"
      fi ;;
  esac
done

mount -t proc proc "$wowroot/proc"
mount --rbind /dev "$wowroot/dev"
mount --rbind /sys "$wowroot/sys"
# Recursive binds, so that what is mounted inside them shows too (a test may
# mount a folder read-only under /tmp).
mount --rbind /tmp "$wowroot/tmp"
# Shortest first: a folder inside one already shown needs no mount.
mounted=(/tmp)
while IFS= read -r folder; do
  for outer in "${mounted[@]}"; do
    case "$folder/" in "$outer"/*) continue 2 ;; esac
  done
  mkdir -p "$wowroot$folder"
  mount --rbind "$folder" "$wowroot$folder"
  mounted+=("$folder")
done < <(printf '%s\n' "${shared[@]}" | awk '{ print length, $0 }' | sort -n -s | cut -d' ' -f2-)

in_root() {  # command, run in the root from the working folder
  chroot "$wowroot" /usr/bin/env -u LD_PRELOAD -u LD_LIBRARY_PATH -C "$PWD" HOME=/root "$@"
}

# The prefix, once; a marker written last says it is complete.
if [ ! -f "$WINEPREFIX/.stompara-prefix" ]; then
  exec 8>"$WINEPREFIX.lock"
  flock 8
  if [ ! -f "$WINEPREFIX/.stompara-prefix" ]; then
    mkdir -p "$WINEPREFIX"
    in_root "$wine" wineboot --init >/dev/null 2>&1 || true
    # No window manager runs here: unmanaged windows spare every hide a 2 s
    # wait for one.
    in_root "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    in_root /usr/lib/wine/wineserver -w || true
    touch "$WINEPREFIX/.stompara-prefix"
  fi
  exec 8>&-
fi

# How the 32-bit code runs. Auto: whether a tiny 32-bit Windows program
# (stompara_wow64_probe.exe) runs natively, tried once per prefix and kept
# in it. (The 32-bit Linux loader says nothing: WoW64 never runs it, and
# kernels that refuse 32-bit Linux programs may still run 32-bit code.)
cpu=${STOMPARA_WOW64_CPU:-auto}
if [ "$cpu" = auto ]; then
  cpu=$(cat "$WINEPREFIX/.stompara-cpu" 2>/dev/null || true)
  if [ -z "$cpu" ]; then
    exec 8>"$WINEPREFIX.lock"
    flock 8
    cpu=$(cat "$WINEPREFIX/.stompara-cpu" 2>/dev/null || true)
    if [ -z "$cpu" ]; then
      probe=$root/build/win32/stompara_wow64_probe.exe
      cpu=qemu
      if [ -f "$probe" ] && timeout 60 chroot "$wowroot" /usr/bin/env -u LD_PRELOAD -u LD_LIBRARY_PATH \
           -C "$(dirname "$probe")" HOME=/root "$wine" "$probe" >/dev/null 2>&1; then cpu=native; fi
      in_root /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
      [ -f "$probe" ] && echo "$cpu" > "$WINEPREFIX/.stompara-cpu"
    fi
    exec 8>&-
  fi
fi
case "$cpu" in
  native) ;;
  qemu) mount --bind "$wowroot/usr/lib/wine/wine-qemu-i386" "$wowroot/usr/lib/wine/wine" ;;
  *) echo "wine-run32.sh: STOMPARA_WOW64_CPU is auto, native or qemu, not $cpu" >&2; exit 64 ;;
esac

# A server left by a run that was killed (a timed-out test) may hang every
# later run: start from none. Runs of one prefix never overlap: a server
# that outlives the run that started it, serving the programs of other
# runs, was seen to spin and hang them.
if [ "${STOMPARA_WINE32_KEEP_SERVER:-}" != 1 ]; then
  in_root /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
fi
# The processes this run started in the root, by pid: those with a thread
# in the root and in this run's mount namespace. Every thread is asked, not
# only the first: a Wine process whose first thread has ended shows its root
# and namespace in its other threads alone.
run_processes() {
  local ours tasks task
  ours=$(readlink /proc/self/ns/mnt)
  # (find fails on processes that end while it looks: that is no fault here)
  tasks=$(find /proc -mindepth 4 -maxdepth 4 -path '/proc/[0-9]*/task/[0-9]*/root' -lname "$wowroot" \
            -printf '%h\n' 2>/dev/null || true)
  for task in $tasks; do
    if [ "$(readlink "$task/ns/mnt" 2>/dev/null || true)" = "$ours" ]; then
      task=${task#/proc/}
      echo "${task%%/*}"
    fi
  done | sort -u
}
# Kills them all. A Wine process whose server has gone does not end: its
# threads go on waiting for replies, holding the caller's output open (a
# caller that reads it to its end waits for ever). All are found before any
# is killed, as one killed first may end another's first thread and so hide
# it, and they are looked for again until none is left.
end_run_processes() {
  local pids
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    pids=$(run_processes)
    [ -n "$pids" ] || return 0
    # shellcheck disable=SC2086 # one pid a word
    kill -9 $pids 2>/dev/null || true
    sleep 0.2
  done
}
# Wine 10's server was seen, in about one run in fifty, to spin at full CPU
# while every thread of the program waits on it: nothing the program does
# then returns. A server busy that way for 30 s on end is ended, and the
# run exits 75 (EX_TEMPFAIL) with a line that says so, so that a caller can
# tell Wine's fault from the program's own hang. On a machine busy with
# other runs a spinning server gets only its share of the CPU: busy also
# counts as half a CPU or more while the program itself uses next to none.
server_dir=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
# CPU ticks used so far by the run's Windows processes, the program and
# Wine's services: the processes of this prefix other than its server.
program_ticks() {
  local total=0 line rest proc
  for proc in /proc/[0-9]*; do
    [ "$proc" = "/proc/$1" ] && continue
    grep -qzx "WINEPREFIX=$WINEPREFIX" "$proc/environ" 2>/dev/null || continue
    read -r line 2>/dev/null < "$proc/stat" || continue
    rest=(${line##*) })  # the fields after the name, which may hold blanks
    total=$((total + rest[11] + rest[12]))
  done
  echo "$total"
}
watch_server() {  # program pid; exits 75 once it has ended a spinning server
  local ticks=$(getconf CLK_TCK) busy=0 last="" now pid name program lastProgram=
  while kill -0 "$1" 2>/dev/null; do
    sleep 5 </dev/null >/dev/null 2>&1  # holds none of the run's output open once the watch ends
    pid=""
    for candidate in /proc/[0-9]*; do  # a server works in its prefix's server folder
      name=""
      read -r name 2>/dev/null < "$candidate/comm" || true  # (the error first: a process may end meanwhile)
      [ "$name" = wineserver64 ] || continue
      case "$(readlink "$candidate/cwd" 2>/dev/null || true)" in */"$server_dir") pid=${candidate#/proc/} ;; esac
    done
    now=$([ -n "$pid" ] && awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null || true)
    program=$([ -n "$pid" ] && program_ticks "$pid" || echo 0)
    if [ -n "$now" ] && [ -n "$last" ] &&
       { [ $((now - last)) -ge $((ticks * 5 * 95 / 100)) ] ||
         { [ $((now - last)) -ge $((ticks * 5 / 2)) ] && [ $((program - lastProgram)) -le $((ticks * 5 / 20)) ]; }; }; then
      busy=$((busy + 5))
    else
      busy=0
    fi
    last=$now lastProgram=$program
    if [ "$busy" -ge 30 ]; then
      echo "wine-run32.sh: Wine's server spun at full CPU for 30 s with the program waiting on it" \
           "(a fault of Wine 10): the run was ended" >&2
      # A spinning server answers no request, so `wineserver -k` cannot end
      # it: every process of this run in the root is killed instead (the
      # server, the program, Wine's services). The run stops this watch
      # once the program has ended, which may be before the last kill here:
      # the watch ignores that and still exits 75.
      trap '' TERM
      end_run_processes
      exit 75
    fi
  done
}
# A run that is stopped (a test's time limit) takes what it started with it.
trap 'end_run_processes; exit 143' TERM
trap 'end_run_processes; exit 130' INT
status=0
in_root "$wine" "$@" &
program=$!
watch_server "$program" &
watcher=$!
wait "$program" || status=$?
kill "$watcher" 2>/dev/null || true
watched=0
wait "$watcher" 2>/dev/null || watched=$?
if [ "$watched" = 75 ]; then status=75; fi
if [ "${STOMPARA_WINE32_KEEP_SERVER:-}" != 1 ]; then
  # Wine's services leave about 2 s after the program; a server that does
  # not end by itself is ended.
  timeout 20 chroot "$wowroot" /usr/bin/env -u LD_PRELOAD -u LD_LIBRARY_PATH HOME=/root \
    /usr/lib/wine/wineserver -w || in_root /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  # Nothing outlives its server on its own: what is left is hung.
  end_run_processes
fi
exit "$status"
