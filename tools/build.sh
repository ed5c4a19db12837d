#!/usr/bin/env bash
# Configures and builds into build/ (or build-sanitize/ with --sanitize).
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
opts=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-sanitize
    opts+=(-DMIVARTEL_SANITIZE=ON)
fi
# CI treats warnings as errors; at a desk they stay warnings.
if [ -n "${CI:-}" ]; then
    opts+=(-DMIVARTEL_WERROR=ON)
fi
cmake -S . -B "$dir" "${opts[@]}" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
echo "$dir"
