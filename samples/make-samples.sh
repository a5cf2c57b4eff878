#!/usr/bin/env bash
# Makes the bundled sample MP3 files with the LAME encoder (Debian package
# "lame") from a synthetic two-second signal, so no recording is needed.
# Needs: lame, python3. Run from anywhere: bash samples/make-samples.sh
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Two seconds of 16-bit stereo at 44100 Hz: a chord that moves between the
# channels, with a little noise so the encoder has something to do.
python3 - "$work/source.wav" <<'PY'
import math, random, struct, sys, wave
rate, seconds = 44100, 2
random.seed(7)
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(2); w.setsampwidth(2); w.setframerate(rate)
    frames = bytearray()
    for n in range(rate * seconds):
        t = n / rate
        pan = 0.5 + 0.5 * math.sin(2 * math.pi * 0.5 * t)
        tone = sum(math.sin(2 * math.pi * f * t) for f in (220.0, 277.2, 329.6, 1760.0)) / 4
        noise = random.uniform(-0.05, 0.05)
        left = int(20000 * (tone * pan + noise))
        right = int(20000 * (tone * (1 - pan) + noise))
        frames += struct.pack("<hh", left, right)
    w.writeframes(bytes(frames))
PY

encode() {  # encode NAME LAME-OPTIONS...
  local name=$1; shift
  lame --quiet "$@" "$work/source.wav" "$name"
}

encode mpeg1-stereo-cbr128.mp3 -b 128
encode mpeg1-joint-vbr-v2.mp3 -V 2
encode mpeg1-mono-abr96.mp3 --abr 96 -m m
encode mpeg1-insane.mp3 --preset insane
encode mpeg1-replaygain-accurate.mp3 -V 4 --replaygain-accurate
encode mpeg2-stereo-vbr-v5.mp3 --resample 22.05 -V 5
encode mpeg2-mono-cbr64.mp3 --resample 16 -b 64 -m m
encode mpeg25-mono-cbr32.mp3 --resample 8 -b 32 -m m
encode mpeg25-stereo-vbr-v6.mp3 --resample 11.025 -V 6
encode id3v2-tagged.mp3 -b 96 --id3v2-only --tt "Sample title" --ta "Kestrix" --pad-id3v2
encode no-lame-tag.mp3 -b 128 -t
ls -l ./*.mp3
