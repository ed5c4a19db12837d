#!/usr/bin/env bash
# The whole workflow in the real window on a virtual display, driven as a user drives it with
# the mouse and the keyboard: Add, a path typed into the dialog, both thumbs of the slider
# dragged, the 3G2 type and a profile chosen, Start, the notice closed, the window closed.
# The .3g2 must be valid and last the trimmed range; nothing else may be left in the output
# folder. Exit status 77 (skipped) when Xvfb, xdotool or openbox is missing.
#
# Usage: windowworkflow.sh FOLDER_OF_MIVARTEL
# With WORKFLOW_SHOTS=folder set, a screenshot of each step is written there.
set -euo pipefail

program_dir=$(cd "$1" && pwd)
shots=${WORKFLOW_SHOTS:-}
. "$(dirname "$0")/xsession.sh"

clip=$work/clips/holiday.mp4
ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=size=640x480:rate=25:duration=12 \
    -f lavfi -i sine=frequency=440:duration=12 -c:v libx264 -pix_fmt yuv420p -c:a aac \
    -shortest "$clip"
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$clip")

"$program_dir/mivartel" >"$work/mivartel.log" 2>&1 &
app=$!
pids+=($app)
main=$(window 30 'Mivartel V') || fail "the window did not appear"
sleep 1
shot started

click 632 324 # Add
dialog=$(window 10 '^Open$') || fail "Add opened no dialog"
shot dialog
xdotool windowactivate --sync "$dialog" 2>/dev/null || true
xdotool type --delay 10 "$clip"
xdotool key Return
sleep 2
window 1 '^Open$' >/dev/null && fail "the dialog did not take the typed path"
shot added

# The slider lies at 52, 233 (224 x 20): 198 pixels of track. The left thumb's centre is at
# x 6 and the right one's at x 217 of the slider; each is dragged 40 pixels inwards.
drag 58 98 243
sleep 1.5
drag 269 229 243
sleep 1.5
shot trimmed

click 527 37 # the output type's box opens its list
xdotool key End Return
sleep 0.5
click 400 140 # the first profile, then two rows down: "High quality - 320x240 ..."
xdotool key Home Down Down
sleep 0.3
shot chosen

click 603 497 # Start Converting
notice=$(window 120 '^Information$') || fail "no notice at the end of the batch"
sleep 0.5
shot finished
xdotool windowactivate --sync "$notice" 2>/dev/null || true
xdotool key Return
sleep 0.5
window 1 '^Information$' >/dev/null && fail "the notice did not close"
title=$(xdotool getwindowname "$main")
echo "$title" | grep -q ' of ' && fail "the title still shows the batch: '$title'"
shot notice-closed

xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key alt+F4
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the window did not close"
wait "$app" || fail "mivartel ended with status $?"

# What the batch left: the one .3g2, valid, as long as the trimmed range.
left=$(ls -A "$work/out")
[ "$left" = "holiday.3g2" ] || fail "the output folder holds: $left"
out=$work/out/holiday.3g2
probe() { ffprobe -v error -show_entries "$1" -of csv=p=0 "$out"; }
brand=$(probe format_tags=major_brand)
video=$(ffprobe -v error -select_streams v -show_entries stream=codec_name,width,height -of csv=p=0 "$out")
audio=$(ffprobe -v error -select_streams a -show_entries stream=codec_name -of csv=p=0 "$out")
length=$(probe format=duration)
[ "$brand" = "3g2a" ] || fail "brand $brand"
[ "$video" = "mpeg4,320,240" ] || fail "video $video"
[ "$audio" = "aac" ] || fail "audio $audio"
expected=$(awk -v d="$duration" 'BEGIN { printf "%.3f", (198 - 40 - 40) * d / 198 }')
awk -v a="$length" -v b="$expected" 'BEGIN { exit !(a - b < 0.5 && b - a < 0.5) }' \
    || fail "the file lasts $length s, the trimmed range $expected s"
echo "PASS: $brand, $video, $audio, $length s for a range of $expected s"
