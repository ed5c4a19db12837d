#!/usr/bin/env bash
# Runs a Qt test program natively under Wayland, inside a headless Weston of its own: the
# program gets QT_QPA_PLATFORM=wayland and the compositor's socket. Exit status 77 (skipped)
# when Weston or Qt's Wayland platform plugin is missing.
#
# Usage: waylandrun.sh TEST_PROGRAM [ARGUMENTS...]
set -euo pipefail

command -v weston >/dev/null || { echo "SKIP: weston is not installed"; exit 77; }
plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
ls "$plugins"/platforms/libqwayland-*.so >/dev/null 2>&1 \
    || { echo "SKIP: Qt's Wayland platform plugin (qt6-wayland) is not installed"; exit 77; }

runtime=$(mktemp -d)
chmod 700 "$runtime"
weston_pid=
cleanup() {
    [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$runtime"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR=$runtime
socket=mivartel-test
weston --backend=headless-backend.so --socket="$socket" --width=1280 --height=1024 \
    --idle-time=0 --log="$runtime/weston.log" &
weston_pid=$!
for _ in $(seq 100); do [ -S "$runtime/$socket" ] && break; sleep 0.1; done
[ -S "$runtime/$socket" ] || { cat "$runtime/weston.log"; echo "FAIL: Weston did not start"; exit 1; }

unset DISPLAY
export WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland QT_MEDIA_BACKEND=ffmpeg
"$@"
