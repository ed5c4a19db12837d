#!/usr/bin/env bash
# Sets up a fresh machine, builds, and starts Mivartel.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
tools/build.sh >/dev/null
if [ -x build/mivartel ]; then
    exec build/mivartel "$@"
fi
exec build/mivartel-cli --list
