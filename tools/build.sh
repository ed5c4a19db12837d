#!/usr/bin/env bash
# Configures and builds into build/ (or build-sanitize/ with --sanitize); prints the folder.
# --tsan builds, with clang and ThreadSanitizer, only the tests labelled "threads" and what they
# run (in build-tsan/).
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
opts=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
targets=()
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-sanitize
    opts+=(-DMIVARTEL_SANITIZE=ON)
elif [ "${1:-}" = "--tsan" ]; then
    dir=build-tsan
    opts+=(-DMIVARTEL_TSAN=ON -DCMAKE_CXX_COMPILER=clang++)
    targets=(--target mivartel_threadtests)
fi
# CI treats warnings as errors; at a desk they stay warnings.
if [ -n "${CI:-}" ]; then
    opts+=(-DMIVARTEL_WERROR=ON)
fi
# ccache, where installed, shares compilations between worktrees and with CI's fresh clone:
# paths are hashed relative to the checkout, and the folder itself is left out.
if command -v ccache >/dev/null; then
    opts+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
fi
cmake -S . -B "$dir" "${opts[@]}" >/dev/null
# Ninja does not rerun moc when a folder adds headers to a library after the first
# configure; without its stamp, moc looks again (and rewrites only what changed).
find "$dir" -path '*_autogen/timestamp' -delete
# The build's own output goes to standard error, so that callers can take the folder's
# name from standard output and still show why a build failed.
cmake --build "$dir" --parallel "$(nproc)" "${targets[@]}" >&2
echo "$dir"
