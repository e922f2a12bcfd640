#!/usr/bin/env bash
# Benchmark of bin/MAC (our Monkey's Audio encoder) against flac -5, flac -8 and
# wavpack -hh on the same music-like corpus, made here: General MIDI music that
# this script writes and fluidsynth renders, plus speech from espeak-ng.
#
# Usage: bench/mac_bench.sh [path/to/bin/MAC]
#   (default: build/bin/MAC beside this repository)
#
# Prints one table: per encoder, total size, ratio to the WAV data and encode
# speed in times real time (audio seconds per CPU second, best of three runs).
# Not a test and never run by CI; timings depend on the machine's load.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
mac=${1:-$here/build/bin/MAC}
soundfont=/usr/share/sounds/sf2/default-GM.sf2
runs=3

[ -x "$mac" ] || { echo "MAC not found at $mac (build it first or pass its path)" >&2; exit 1; }

install_if_missing() { # command package
    command -v "$1" >/dev/null && return 0
    if [ "$(id -u)" -eq 0 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$2" >/dev/null || true
    fi
    command -v "$1" >/dev/null
}
for tool in flac wavpack fluidsynth python3 ffprobe bc; do
    package=$tool
    [ "$tool" = ffprobe ] && package=ffmpeg
    install_if_missing "$tool" "$package" || { echo "$tool is needed (apt-get install $package)" >&2; exit 1; }
done
[ -e "$soundfont" ] || install_if_missing true timgm6mb-soundfont
[ -e "$soundfont" ] || { echo "no General MIDI sound font at $soundfont" >&2; exit 1; }
have_speech=yes
install_if_missing espeak-ng espeak-ng || have_speech=no

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
corpus=$work/corpus
mkdir -p "$corpus"

# --- corpus -------------------------------------------------------------------
# A three-minute, four-part arrangement in General MIDI: piano chords, bass,
# string pad, lead melody and drums, varied by section so it is not a loop.
python3 - "$work/song.mid" <<'PY'
import random, struct, sys
random.seed(20240611)
ticks = 480                      # per quarter note
bpm = 112
bars = 84                        # 84 bars of 4/4 at 112 bpm: three minutes

def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, (n & 0x7F) | 0x80)
        n >>= 7
    return bytes(out)

class Track:
    def __init__(self):
        self.events = []          # (time, order, bytes)
    def add(self, time, data, order=1):
        self.events.append((time, order, bytes(data)))
    def note(self, ch, start, length, key, vel):
        self.add(start, [0x90 | ch, key, vel])
        self.add(start + length, [0x80 | ch, key, 0], order=0)
    def chunk(self):
        self.events.sort(key=lambda e: (e[0], e[1]))
        body, now = b"", 0
        for time, _, data in self.events:
            body += vlq(time - now) + data
            now = time
        body += vlq(0) + b"\xFF\x2F\x00"
        return b"MTrk" + struct.pack(">I", len(body)) + body

progressions = [[0, 5, 3, 4], [0, 3, 5, 4], [5, 3, 0, 4], [0, 4, 5, 3]]
scale = [0, 2, 4, 5, 7, 9, 11]
roots = [48, 50, 45, 43, 41, 53]
bar = 4 * ticks
tracks = [Track() for _ in range(6)]
tempo = Track()
tempo.add(0, b"\xFF\x51\x03" + struct.pack(">I", 60000000 // bpm)[1:])
programs = [(0, 0), (1, 33), (2, 48), (3, 73), (4, 24)]  # piano, bass, strings, flute, guitar
for (ch, program), track in zip(programs, tracks):
    track.add(0, [0xC0 | ch, program])
    track.add(0, [0xB0 | ch, 10, [64, 50, 78, 40, 88][ch]])   # pan
    track.add(0, [0xB0 | ch, 91, 50])                        # reverb
key = 0
for b in range(bars):
    section = (b // 8) % 4
    if b % 16 == 0:
        key = random.choice([0, 2, 5, 7, -3])
    t0 = b * bar
    degree = progressions[section][b % 4]
    root = 48 + key + scale[degree % 7]
    chord = [root, root + (3 if degree in (1, 2, 5) else 4), root + 7]
    # piano: broken chords, denser in later sections
    step = ticks // (2 if section < 2 else 4)
    for i in range(bar // step):
        k = chord[i % 3] + 12 * (i % 2)
        tracks[0].note(0, t0 + i * step, step, k, random.randint(60, 96))
    # bass: root and fifth on quarters
    for q in range(4):
        tracks[1].note(1, t0 + q * ticks, ticks - 40, root - 12 + (7 if q % 2 else 0), 90)
    # strings: held chord, swelling
    if section != 1:
        for k in chord:
            tracks[2].note(2, t0, bar - 10, k + 12, 55 + 10 * section)
    # melody: a walk on the scale
    if section >= 1:
        pos = t0
        while pos < t0 + bar:
            length = random.choice([ticks // 2, ticks, ticks // 2, ticks * 3 // 2])
            k = 72 + key + scale[random.randrange(7)] + random.choice([0, 0, 12, -12])
            tracks[3].note(3, pos, min(length, t0 + bar - pos), k, random.randint(70, 110))
            pos += length
    # guitar: off-beat stabs in the last section
    if section == 3:
        for q in range(4):
            for k in chord:
                tracks[4].note(4, t0 + q * ticks + ticks // 2, ticks // 4, k + 12, 70)
    # drums on channel 10
    for eighth in range(8):
        t = t0 + eighth * ticks // 2
        tracks[5].note(9, t, 60, 42, random.randint(50, 80))              # hi-hat
        if eighth in (0, 4):
            tracks[5].note(9, t, 60, 36, 110)                             # kick
        if eighth in (2, 6):
            tracks[5].note(9, t, 60, 38, 100)                             # snare
    if b % 8 == 7:
        tracks[5].note(9, t0 + bar - ticks, ticks, 49, 100)               # crash
header = b"MThd" + struct.pack(">IHHH", 6, 1, 1 + len(tracks), ticks)
with open(sys.argv[1], "wb") as f:
    f.write(header + tempo.chunk() + b"".join(t.chunk() for t in tracks))
PY
fluidsynth -q -n -i -F "$corpus/music.wav" -r 44100 -T wav -O s16 -g 0.6 "$soundfont" "$work/song.mid" >/dev/null 2>&1

if [ "$have_speech" = yes ]; then
    text="Lossless audio compression keeps every sample of the original recording.
The encoder predicts each sample from the ones before it, and stores only the
small difference between the prediction and the truth. Speech is harder to
predict than a sustained chord, because the voice changes quickly from one sound
to the next, and the pauses between words are quiet but never perfectly silent."
    espeak-ng -s 150 -v en -w "$corpus/speech.wav" "$text $text $text"
fi

# --- measuring ----------------------------------------------------------------
audio_seconds=0
wav_bytes=0
for f in "$corpus"/*.wav; do
    d=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$f")
    audio_seconds=$(echo "$audio_seconds + $d" | bc -l)
    wav_bytes=$((wav_bytes + $(stat -c %s "$f")))
done

# Runs "$@" once per corpus file, with the arguments IN and OUT standing for
# that file and the output; prints "<cpu seconds> <bytes>".
measure() {
    local best="" size=0
    for _ in $(seq "$runs"); do
        local total=0 bytes=0
        for f in "$corpus"/*.wav; do
            local out="$work/out.bin"
            rm -f "$out"
            local args=()
            for a in "$@"; do
                case $a in IN) args+=("$f") ;; OUT) args+=("$out") ;; *) args+=("$a") ;; esac
            done
            if ! /usr/bin/time -f "%U %S" -o "$work/time.txt" "${args[@]}" >/dev/null 2>"$work/stderr.txt"; then
                echo "failed: ${args[*]}" >&2
                cat "$work/stderr.txt" >&2
                exit 1
            fi
            local t
            t=$(awk '{print $1 + $2}' "$work/time.txt")
            total=$(echo "$total + $t" | bc -l)
            bytes=$((bytes + $(stat -c %s "$out")))
        done
        if [ -z "$best" ] || [ "$(echo "$total < $best" | bc -l)" = 1 ]; then best=$total; fi
        size=$bytes
    done
    echo "$best $size"
}

printf 'corpus: %s, %.1f s of audio, %d WAV bytes\n\n' "$(cd "$corpus" && echo *.wav)" "$audio_seconds" "$wav_bytes"
printf '%-18s %12s %8s %14s\n' encoder bytes ratio "x real time"
report() {
    local name=$1; shift
    read -r seconds bytes < <(measure "$@")
    local speed="inf"
    [ "$(echo "$seconds > 0" | bc -l)" = 1 ] && speed=$(printf '%.0f' "$(echo "$audio_seconds / $seconds" | bc -l)")
    printf '%-18s %12d %7.2f%% %14s\n' "$name" "$bytes" "$(echo "100 * $bytes / $wav_bytes" | bc -l)" "$speed"
}
report "flac -5" flac -s -f -5 IN -o OUT
report "flac -8" flac -s -f -8 IN -o OUT
report "wavpack -hh" wavpack -q -y -hh IN -o OUT
for level in 1000 2000 3000 4000 5000; do
    report "MAC -c$level" "$mac" IN OUT "-c$level"
done
