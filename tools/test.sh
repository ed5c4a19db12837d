#!/usr/bin/env bash
# Sets up a fresh machine, builds, checks the formatting and runs every test.
# --sanitize runs the same tests on the address and undefined-behaviour build; without it the
# fuzz targets run for 20 s each as well (they have sanitizers of their own).
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

dir=$(tools/build.sh "$@")
export QT_QPA_PLATFORM=offscreen
export QT_MEDIA_BACKEND=ffmpeg
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$dir" --output-on-failure --timeout 300
if [ "${1:-}" != "--sanitize" ]; then
    tools/fuzz.sh 20
fi
