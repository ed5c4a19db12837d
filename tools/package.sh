#!/usr/bin/env bash
# Builds and makes the Debian package mivartel_<version>_amd64.deb; prints its path.
# Install it with: apt-get install ./mivartel_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh >&2
dir=$(tools/build.sh "$@")
# CPack runs the install rules into a staging tree under /usr and asks dpkg-shlibdeps for
# the libraries' packages; its chatter goes to standard error like the build's.
(cd "$dir" && cpack -G DEB >&2)
ls -t "$PWD/$dir"/mivartel_*.deb | head -n 1
