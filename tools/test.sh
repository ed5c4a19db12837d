#!/usr/bin/env bash
# Sets up a fresh machine, builds, checks the formatting and runs every test.
# --sanitize runs the same tests on the address and undefined-behaviour build; without it the
# fuzz targets run for 20 s each as well (they have sanitizers of their own).
# --tsan runs the tests that run several jobs at once (label "threads") on the ThreadSanitizer
# build, and fails on any report as on a failed test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh

if [ -n "${CI:-}" ]; then
    files=$(git ls-files '*.cpp' '*.h')
    if [ -n "$files" ]; then
        clang-format --dry-run --Werror $files
    fi
    # The program never changes its working folder: relative names on its command line mean
    # what they mean in the shell. Only a test may move, to check just that.
    if git grep -n -E 'QDir::setCurrent|\bchdir *\(' -- '*.cpp' '*.h' ':!tests'; then
        echo "the working folder is changed outside tests/" >&2
        exit 1
    fi
fi

mode=${1:-}
dir=$(tools/build.sh "$@")
export QT_QPA_PLATFORM=offscreen
export QT_MEDIA_BACKEND=ffmpeg
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

if [ "$mode" = "--tsan" ]; then
    # Each process, the tests' children too, writes its reports to a file of its own, so that
    # a report neither mixes into the output a test reads nor hides behind a child's status.
    reports="$PWD/$dir/tsan"
    rm -rf "$reports"
    mkdir -p "$reports"
    options=(suppressions="$PWD/tools/tsan/suppressions.txt" ignore_noninstrumented_modules=1
             second_deadlock_stack=1 exitcode=0 log_path="$reports/report")
    export TSAN_OPTIONS="${options[*]}"
    status=0
    ctest --test-dir "$dir" -L threads --output-on-failure --timeout 300 || status=1
    shopt -s nullglob
    found=("$reports"/report.*)
    if [ ${#found[@]} -gt 0 ]; then
        cat "${found[@]}" >&2
        echo "ThreadSanitizer: reports from ${#found[@]} processes (kept in $reports)" >&2
        status=1
    fi
    exit $status
fi

ctest --test-dir "$dir" --output-on-failure --timeout 300
if [ "$mode" != "--sanitize" ]; then
    tools/fuzz.sh 20
fi
