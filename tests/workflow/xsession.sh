# Sourced by the window scripts: a virtual display with a window manager, a scratch folder
# ($work) that holds the program's settings and data and an output folder ($work/out), and the
# helpers that find windows and drive the mouse on the page ($main). Exit status 77 (skipped)
# when Xvfb, xdotool or openbox is missing.
for tool in Xvfb xdotool openbox ffmpeg ffprobe; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
if [ -n "${shots:-}" ]; then
    command -v import >/dev/null || { echo "SKIP: import (ImageMagick) is not installed"; exit 77; }
    mkdir -p "$shots"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# A display number that nobody uses.
for n in $(seq 90 150); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export QT_MEDIA_BACKEND=ffmpeg
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
# A window manager, so that the window has a frame and Alt+F4 closes it as on a desktop.
HOME=$work openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

# The program's settings in the scratch folder, with its output folder there; no session bus,
# so that a Mivartel window the user has open elsewhere does not take the files.
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no_bus
mkdir -p "$work/out" "$work/clips" "$XDG_CONFIG_HOME/Mivartel"
printf '[General]\ndestination=%s\n' "$work/out/" >"$XDG_CONFIG_HOME/Mivartel/Mivartel.conf"

step=0
shot() {
    step=$((step + 1))
    if [ -n "${shots:-}" ]; then import -window root "$(printf '%s/%02d-%s.png' "$shots" "$step" "$1")"; fi
}
# Waits up to $1 seconds for a visible window whose name matches $2; prints its id.
window() {
    local deadline=$((SECONDS + $1)) id
    while [ $SECONDS -lt $deadline ]; do
        id=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -1) || true
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}
# Page coordinates: the page lies at 2, 2 in the window.
at() { xdotool mousemove --window "$main" $(($1 + 2)) $(($2 + 2)); }
click() { at "$1" "$2"; xdotool click 1; sleep 0.3; }
drag() {
    at "$1" "$3"; xdotool mousedown 1; sleep 0.1
    at $((($1 + $2) / 2)) "$3"; sleep 0.1
    at "$2" "$3"; sleep 0.1
    xdotool mouseup 1
}
