#!/bin/sh
# Runs a program on Qt's wayland platform against a private weston started
# with its headless backend, then stops weston whatever happens.
# Usage: run_under_weston.sh SEAT_MODULE QT_PLATFORMS_DIR PROGRAM [ARGS...]
# SEAT_MODULE is the weston module that gives the compositor a keyboard.
# Exits 77 (skipped) when weston or Qt's wayland plugin is not installed.
set -u
seat=$1
platforms=$2
shift 2

if ! command -v weston >/dev/null 2>&1; then
  echo "weston is not installed (scripts/install-deps installs it)"
  exit 77
fi
if ! ls "$platforms"/libqwayland-*.so >/dev/null 2>&1; then
  echo "Qt's wayland platform plugin is not in $platforms (package qt6-wayland)"
  exit 77
fi
case $seat in /*) ;; *) seat=$PWD/$seat ;; esac  # weston looks up relative names in its own folder
if [ ! -f "$seat" ]; then
  echo "the weston seat module $seat was not built (package libweston-10-dev)"
  exit 77
fi

runtime=$(mktemp -d "${TMPDIR:-/tmp}/lynx-weston.XXXXXX") || exit 1
chmod 700 "$runtime"
socket="lynx-$$"
weston_pid=""
stop() {
  if [ -n "$weston_pid" ]; then
    kill "$weston_pid" 2>/dev/null
    wait "$weston_pid" 2>/dev/null
  fi
  rm -rf "$runtime"
}
trap stop EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# setpriv ends weston with this script even when the script is killed
# outright (a test timeout), so no compositor is ever left behind.
deathsig=""
if command -v setpriv >/dev/null 2>&1; then deathsig="setpriv --pdeathsig TERM"; fi
XDG_RUNTIME_DIR="$runtime" $deathsig weston --backend=headless-backend.so \
  --socket="$socket" --idle-time=0 --no-config --modules="$seat" \
  --log="$runtime/weston.log" &
weston_pid=$!

tries=0
until [ -S "$runtime/$socket" ]; do
  tries=$((tries + 1))
  if [ "$tries" -gt 100 ] || ! kill -0 "$weston_pid" 2>/dev/null; then
    echo "weston did not start:"
    cat "$runtime/weston.log"
    exit 1
  fi
  sleep 0.1
done

env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland \
  "$@"
status=$?
if [ "$status" -ne 0 ]; then
  echo "weston's log:"
  cat "$runtime/weston.log"
fi
exit "$status"
