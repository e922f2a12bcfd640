#!/usr/bin/env bash
# Engine benchmarks, each as a ratio against a reference run in the same script:
#  1. adding 1,000 mixed files (sondrel-cli list) against ffprobe once per file;
#  2. decoding a 10-minute FLAC to float against ffmpeg -f f32le;
#  3. peak memory of the decode for a 10-minute and a 40-minute file.
# Usage: bench/engine_bench.sh [BUILD_DIR]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
ninja -C "$build" bench_decode sondrel-cli fixtures >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
now() { date +%s.%N; }
secs() { echo "$2 - $1" | bc -l; }

mkdir "$work/many"
i=0
for f in "$build"/fixtures/{cbr.mp3,vbr.mp3,vorbis.ogg,lossless.flac,pack.wv,wma2.wma,aac.m4a,s16_44100_2.wav,musepack.mpc,truaudio.tta}; do
  for n in $(seq 1 100); do cp "$f" "$work/many/$i-$(basename "$f")"; i=$((i + 1)); done
done
t0=$(now); "$build/sondrel-cli" list "$work/many" > /dev/null; t1=$(now)
for f in "$work"/many/*; do ffprobe -v error -show_streams "$f" > /dev/null; done; t2=$(now)
ours=$(secs "$t0" "$t1"); probe=$(secs "$t1" "$t2")
printf 'add 1000 files: sondrel %.2f s, ffprobe per file %.2f s, ffprobe/sondrel %.1fx (goal >= 5)\n' "$ours" "$probe" "$(echo "$probe / $ours" | bc -l)"

ffmpeg -v error -f lavfi -i 'aevalsrc=0.3*sin(2*PI*(220+30*t)*t)|0.3*sin(2*PI*(330+10*t)*t):s=44100:d=600' -c:a flac "$work/ten.flac"
ffmpeg -v error -f lavfi -i 'aevalsrc=0.3*sin(2*PI*(220+30*t)*t)|0.3*sin(2*PI*(330+10*t)*t):s=44100:d=2400' -c:a flac "$work/forty.flac"
best() { local b=999999; for r in 1 2 3; do local s=$(now); "$@" > /dev/null 2>&1; local e=$(now); b=$(echo "if ($e - $s < $b) $e - $s else $b" | bc -l); done; echo "$b"; }
ours=$(best "$build/bench_decode" "$work/ten.flac")
ref=$(best ffmpeg -v error -i "$work/ten.flac" -f f32le -y /dev/null)
printf 'decode 10-min FLAC: sondrel %.2f s, ffmpeg %.2f s, sondrel/ffmpeg %.2f (goal <= 1.1)\n' "$ours" "$ref" "$(echo "$ours / $ref" | bc -l)"
m10=$(/usr/bin/time -f %M "$build/bench_decode" "$work/ten.flac" 2>&1 >/dev/null | tail -1)
m40=$(/usr/bin/time -f %M "$build/bench_decode" "$work/forty.flac" 2>&1 >/dev/null | tail -1)
printf 'peak memory decoding: 10 min %s KiB, 40 min %s KiB\n' "$m10" "$m40"
