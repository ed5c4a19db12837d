#!/usr/bin/env bash
# The real window killed outright (kill -9) during pass 1 of a batch: its encoder ends with it,
# and the next start brings the list back with the finished job kept, the interrupted one not
# started and its _temp file gone. Exit status 77 (skipped) when Xvfb, xdotool or openbox is
# missing.
#
# Usage: windowcrash.sh FOLDER_OF_MIVARTEL
set -euo pipefail

program_dir=$(cd "$1" && pwd)
shots=${WORKFLOW_SHOTS:-}
. "$(dirname "$0")/xsession.sh"

make_clip() { ffmpeg -nostdin -loglevel error -y "$@"; }
short=$work/clips/short.mp4
make_clip -f lavfi -i testsrc=size=320x240:rate=25:duration=2 -f lavfi -i sine=duration=2 \
    -c:v mpeg4 -c:a aac "$short"
# 10 s of 1280x720 repeated: quick to make, some 20 s of work for the encoder.
make_clip -f lavfi -i testsrc=size=320x240:rate=25:duration=10 -f lavfi -i sine=duration=10 \
    -vf scale=1280:720 -c:v mpeg4 -q:v 31 -c:a aac "$work/clips/piece.mp4"
make_clip -stream_loop 29 -i "$work/clips/piece.mp4" -c copy "$work/clips/long.mp4"

saved=$work/data/mivartel/jobs.json
encoders() { pgrep -f "ffmpeg.*$work/out/" || true; }
# Prints a fact of the saved list.
fact() { python3 -c "import json, sys; l = json.load(open(sys.argv[1])); print($1)" "$saved"; }

"$program_dir/mivartel" "$short" "$work/clips/long.mp4" >"$work/first.log" 2>&1 &
app=$!
pids+=($app)
main=$(window 30 'Mivartel V') || fail "the window did not appear"
for _ in $(seq 50); do [ "$(fact 'len(l["jobs"])' 2>/dev/null)" = 2 ] && break; sleep 0.2; done
[ "$(fact 'len(l["jobs"])')" = 2 ] || fail "the two jobs were not saved"

click 603 497 # Start Converting
for _ in $(seq 300); do [ -s "$work/out/long_temp.3gp" ] && break; sleep 0.1; done
[ -s "$work/out/long_temp.3gp" ] || fail "pass 1 of the second job did not start"
# The title tells the position and, after its first seconds, the time left of the batch.
left=' - 2 of 2, (less than a minute|about [0-9]+ min) left$'
for _ in $(seq 80); do xdotool getwindowname "$main" | grep -Eq "$left" && break; sleep 0.1; done
title=$(xdotool getwindowname "$main")
echo "$title" | grep -Eq "^  Mivartel V.*$left" || fail "the title during the batch: '$title'"
shot converting
[ -n "$(encoders)" ] || fail "no encoder seen"
[ "$(fact 'l["running"]["job"]')" = 1 ] || fail "the saved list does not name the running job"
kill -9 "$app"
wait "$app" 2>/dev/null || true
for _ in $(seq 30); do [ -z "$(encoders)" ] && break; sleep 0.1; done
[ -z "$(encoders)" ] || fail "the encoder outlived the window: $(encoders)"
[ -e "$work/out/long_temp.3gp" ] || fail "the crash left no _temp file to clean"

"$program_dir/mivartel" >"$work/second.log" 2>&1 &
app=$!
pids+=($app)
main=$(window 30 'Mivartel V') || fail "the window did not appear again"
sleep 1
shot restored
[ -e "$work/out/long_temp.3gp" ] && fail "the _temp file is still there"
left=$(ls -A "$work/out")
[ "$left" = "short.3gp" ] || fail "the output folder holds: $left"
# Closed as a session's end closes it.
kill -TERM "$app"
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the window did not close"
wait "$app" || fail "mivartel ended with status $?"

state=$(fact '[(j["output"], j.get("finished", False), j["stage"]) for j in l["jobs"]], "running" in l')
[ "$state" = "[('short', True, 2), ('long', False, 0)] False" ] \
    || fail "the list came back as $state"
echo "PASS: encoder ended with the window; list restored as $state"
