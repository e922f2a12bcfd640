#!/usr/bin/env bash
# Benchmark: headers and tags of 1000 mixed files, our readers against TagLib's
# FileRef in the same run. Builds its own program; not part of the main build.
# Usage: bench/readers_bench.sh [FILES] [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
fixtures=${SONDREL_FIXTURES:-$here/build/fixtures}
out=$here/build-bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
[ -f "$fixtures/cbr.mp3" ] || { echo "fixtures missing in $fixtures: build the 'fixtures' target first" >&2; exit 2; }
srcs=$(ls "$here"/src/formats/*.cpp)
# shellcheck disable=SC2086
g++ -std=c++20 -O2 -DNDEBUG -I"$here/src" $(pkg-config --cflags taglib) \
  "$here/bench/readers/readers_bench.cpp" $srcs $(pkg-config --libs taglib) -o "$out/readers_bench"
"$out/readers_bench" "$fixtures" "$work" "${1:-1000}" "${2:-5}"
