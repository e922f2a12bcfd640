#!/usr/bin/env bash
# Effects benchmark: each processor, the ten-band equalizer and the whole chain
# on float stereo at 44100 Hz (times real time, one core), and the whole chain
# against an MP3 encoding of the same length in the same run (goal: the chain
# costs under 5 % of it).
# Usage: bench/effects_bench.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
seconds=${2:-60}
ninja -C "$build" bench_effects >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
now() { date +%s.%N; }
best() { local b=999999; for r in 1 2 3; do local s; s=$(now); "$@" > /dev/null 2>&1; local e; e=$(now); b=$(echo "if ($e - $s < $b) $e - $s else $b" | bc -l); done; echo "$b"; }

out=$("$build/bench_effects" "$seconds")
echo "$out" | grep -v '^chain_seconds'
chain=$(echo "$out" | awk '/^chain_seconds_per_audio_second/ { print $2 * '"$seconds"' }')

ffmpeg -v error -y -f lavfi -i "aevalsrc=0.3*sin(2*PI*(220+30*t)*t)|0.3*sin(2*PI*(330+10*t)*t):s=44100:d=$seconds" \
  -c:a pcm_s16le "$work/in.wav"
mp3=$(best lame --quiet --preset standard "$work/in.wav" "$work/out.mp3")
printf 'MP3 encoding of %d s (lame --preset standard): %.2f s; whole chain: %.3f s = %.2f %% of it (goal < 5 %%)\n' \
  "$seconds" "$mp3" "$chain" "$(echo "100 * $chain / $mp3" | bc -l)"
