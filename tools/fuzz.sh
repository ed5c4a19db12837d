#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang's libFuzzer and the address and undefined-
# behaviour sanitizers (in build-fuzz/) and runs each for SECONDS (default 60), one after
# another. Seeds come from the shipped profiles and from real ffmpeg output made here; what
# the fuzzer learns stays in build-fuzz/corpus/. A finding stops the script with its input
# in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
dir="$PWD/build-fuzz" # absolute: the profile target changes the working directory
targets=(fuzz_inifile fuzz_profiles fuzz_commandtemplate fuzz_encoderstatus fuzz_exportprogress)

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S fuzz -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build "$dir" --parallel "$(nproc)" >&2

seeds="$dir/seeds"
if [ ! -d "$seeds" ]; then
    mkdir -p "$seeds"/{fuzz_inifile,fuzz_profiles,fuzz_commandtemplate,fuzz_encoderstatus,fuzz_exportprogress}
    cp app/*.ini "$seeds/fuzz_profiles/"
    cp app/*.ini "$seeds/fuzz_inifile/"
    n=0
    grep -h '^Command' app/*.ini | cut -d= -f2- | sort -u | while IFS= read -r line; do
        n=$((n + 1))
        printf '%s' "$line" >"$seeds/fuzz_commandtemplate/command$n"
    done
    # The encoder's status lines as the first pass prints them, and the export's progress.
    ffmpeg -nostdin -hide_banner -stats -f lavfi -i testsrc=size=320x240:rate=25:duration=4 \
        -f lavfi -i sine=duration=4 -c:v mpeg4 -c:a aac -f 3gp -y /dev/null \
        2>"$seeds/fuzz_encoderstatus/ffmpeg-stats"
    ffmpeg -nostdin -hide_banner -loglevel error -progress pipe:1 -nostats \
        -f lavfi -i testsrc=duration=3 -f null - >"$seeds/fuzz_exportprogress/ffmpeg-progress"
fi

export ASAN_OPTIONS=detect_leaks=0
mkdir -p "$dir/findings"
for target in "${targets[@]}"; do
    # The seeds join the corpus itself: libFuzzer 14 loses them when given as a second folder.
    mkdir -p "$dir/corpus/$target"
    cp -n "$seeds/$target"/* "$dir/corpus/$target/"
    echo "== $target: ${seconds} s" >&2
    "$dir/$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
        -artifact_prefix="$dir/findings/$target-" \
        "$dir/corpus/$target" 2>"$dir/$target.log" || {
        tail -n 40 "$dir/$target.log" >&2
        exit 1
    }
    grep -E 'stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' \
        "$dir/$target.log" >&2 || true
    echo "corpus: $(ls "$dir/corpus/$target" | wc -l) inputs" >&2
done
