#!/usr/bin/env bash
# Conversion benchmarks, each against a reference pipeline in the same run:
#  1. FLAC to WAV through sondrel-cli against `ffmpeg -i x.flac x.wav`;
#  2. FLAC to MP3 through sondrel-cli against `flac -dc x.flac | lame --preset standard - out.mp3`;
#  3. peak memory converting a 60-minute file (and a 15-minute one, to show it
#     does not grow with the length).
# The settings used are a first run's (a fresh HOME), so normalizing is on.
# Usage: bench/convert_bench.sh [BUILD_DIR]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME" "$work/out"
now() { date +%s.%N; }
best() { local b=999999; for r in 1 2 3; do local s; s=$(now); "$@" > /dev/null 2>&1; local e; e=$(now); b=$(echo "if ($e - $s < $b) $e - $s else $b" | bc -l); done; echo "$b"; }
gen() { ffmpeg -v error -y -f lavfi -i "aevalsrc=0.3*sin(2*PI*(220+30*t)*t)|0.3*sin(2*PI*(330+10*t)*t):s=44100:d=$1" -c:a flac "$2"; }

gen 600 "$work/ten.flac"
ours=$(best "$build/sondrel-cli" convert --to wav --out "$work/out" "$work/ten.flac")
ref=$(best ffmpeg -v error -y -i "$work/ten.flac" "$work/ref.wav")
printf 'FLAC->WAV 10 min: sondrel %.2f s, ffmpeg %.2f s, ratio %.2f (goal <= 1.1)\n' "$ours" "$ref" "$(echo "$ours / $ref" | bc -l)"

ours=$(best "$build/sondrel-cli" convert --to mp3 --out "$work/out" "$work/ten.flac")
ref=$(best sh -c "flac -dcs '$work/ten.flac' | lame --quiet --preset standard - '$work/ref.mp3'")
printf 'FLAC->MP3 10 min: sondrel %.2f s, flac|lame %.2f s, ratio %.2f (goal <= 1.05)\n' "$ours" "$ref" "$(echo "$ours / $ref" | bc -l)"

gen 900 "$work/fifteen.flac"
gen 3600 "$work/sixty.flac"
m15=$(/usr/bin/time -f %M "$build/sondrel-cli" convert --to wav --out "$work/out" "$work/fifteen.flac" 2>&1 >/dev/null | tail -1)
m60=$(/usr/bin/time -f %M "$build/sondrel-cli" convert --to wav --out "$work/out" "$work/sixty.flac" 2>&1 >/dev/null | tail -1)
printf 'peak memory FLAC->WAV: 15 min %s KiB, 60 min %s KiB (goal < 100 MB, flat)\n' "$m15" "$m60"
