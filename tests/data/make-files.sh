#!/usr/bin/env bash
# Makes the real MP3 files that the end-to-end tests need and that test code
# cannot easily craft: what other encoders and tools actually write. Each
# file holds about a second of a synthetic signal, so no recording is needed.
# Needs: lame, ffmpeg (with libmp3lame), mp3gain, python3. Made with the
# Debian 12 packages: LAME 3.100, FFmpeg 5.1, mp3gain 1.6.2; another version
# may write other bytes. Run from anywhere: bash tests/data/make-files.sh
#
# ffmpeg-mpeg1-mono.mp3, ffmpeg-mpeg2-mono.mp3, ffmpeg-mpeg1-stereo.mp3
#   FFmpeg's own LAME tag (encoder text "Lavf lame" with the bit-exact flags
#   used here, "Lavc" and a version without them). Its tag CRC covers the first
#   190 bytes of the frame (the CRC field as zeros, zeros past the end of a
#   shorter frame): right only where the tag starts 36 bytes in (MPEG-1
#   stereo). The mono files' tag CRC differs from the recomputed one while
#   the file is intact; the MPEG-2 file's tag frame is 182 bytes long.
# nogap-1.mp3, nogap-2.mp3
#   Two halves encoded as one gapless run (--nogap --nogaptags). The second
#   has the "nogap continuation" flag; its music CRC goes on from the first
#   file's stored one instead of starting at 0, so alone it differs while
#   the stream is intact.
# mp3gain-raised.mp3
#   VBR with empty granules (global_gain 255), raised 3 steps: the fields
#   at 255 stay there (mp3gain saturates, and leaves fields at 0 alone), so
#   an undo has to leave them too. The APEv2 item MP3GAIN_UNDO is
#   "-003,-003,N".
# mp3gain-protected.mp3
#   Frames with CRC words (-p), lowered 2 steps: the CRC words are
#   recomputed, the tag frame is untouched. Undo "+002,+002,N".
# mp3gain-wrap.mp3
#   Raised 3 steps with wrapping (-w): 255 becomes 2. Undo "-003,-003,W".
# mp3gain-id3v2.mp3
#   Lowered 2 steps, the undo kept in an ID3v2 TXXX frame "MP3GAIN_UNDO"
#   at the front instead of an APEv2 tag.
# mp3gain-undone.mp3
#   Raised 3 steps, then undone: the saturated fields end at 252, so the
#   music CRC stays different though the undo item says "+000,+000,N".
# protected-mpeg2-mono.mp3
#   MPEG-2 mono VBR with a CRC word in every frame, the tag frame included;
#   the "Xing" tag sits right behind the side information as if the frame
#   had no CRC word.
# freeformat.mp3
#   Free format (--freeformat -b 64 -m m): the tag frame is free format too.
# vbr-no-tag.mp3
#   VBR without any VBR header (-t).
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 1.3 seconds of 16-bit stereo at 44100 Hz: a chord with a little noise,
# and digital silence from 0.5 to 0.8 s so that VBR writes empty granules.
python3 - "$work/source.wav" <<'PY'
import math, random, struct, sys, wave
rate, seconds = 44100, 1.3
random.seed(17)
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(2); w.setsampwidth(2); w.setframerate(rate)
    frames = bytearray()
    for n in range(int(rate * seconds)):
        t = n / rate
        if 0.5 <= t < 0.8:
            frames += struct.pack("<hh", 0, 0)
            continue
        pan = 0.5 + 0.5 * math.sin(2 * math.pi * 0.7 * t)
        tone = sum(math.sin(2 * math.pi * f * t) for f in (196.0, 246.9, 293.7, 1175.0)) / 4
        noise = random.uniform(-0.04, 0.04)
        frames += struct.pack("<hh", int(18000 * (tone * pan + noise)),
                              int(18000 * (tone * (1 - pan) + noise)))
    w.writeframes(bytes(frames))
PY
# The two halves of the gapless run.
python3 - "$work/source.wav" "$work/nogap-1.wav" "$work/nogap-2.wav" <<'PY'
import sys, wave
with wave.open(sys.argv[1]) as r:
    params, half = r.getparams(), r.getnframes() // 2
    parts = [r.readframes(half), r.readframes(r.getnframes() - half)]
for name, data in zip(sys.argv[2:], parts):
    with wave.open(name, "wb") as w:
        w.setparams(params); w.writeframes(data)
PY

encode() {  # encode NAME LAME-OPTIONS...
  local name=$1; shift
  lame --quiet "$@" "$work/source.wav" "$work/$name"
}
ffmpeg_encode() {  # ffmpeg_encode NAME FFMPEG-OPTIONS...
  local name=$1; shift
  ffmpeg -nostdin -loglevel error -y -i "$work/source.wav" -c:a libmp3lame "$@" \
    -fflags +bitexact -flags:a +bitexact "$work/$name"
}
gain() {  # gain NAME MP3GAIN-OPTIONS...
  local name=$1; shift
  mp3gain -q "$@" "$work/$name" > /dev/null
}

ffmpeg_encode ffmpeg-mpeg1-mono.mp3 -ac 1 -b:a 64k
ffmpeg_encode ffmpeg-mpeg2-mono.mp3 -ar 22050 -ac 1 -b:a 32k
ffmpeg_encode ffmpeg-mpeg1-stereo.mp3 -b:a 96k

(cd "$work" && lame --quiet -V 5 --nogaptags --nogap nogap-1.wav nogap-2.wav)

encode mp3gain-raised.mp3 -V 5
gain mp3gain-raised.mp3 -g 3
encode mp3gain-protected.mp3 -p -V 5
gain mp3gain-protected.mp3 -g -2
encode mp3gain-wrap.mp3 -V 5
gain mp3gain-wrap.mp3 -w -g 3
encode mp3gain-id3v2.mp3 -V 5
gain mp3gain-id3v2.mp3 -s i -g -2
encode mp3gain-undone.mp3 -V 5
gain mp3gain-undone.mp3 -g 3
gain mp3gain-undone.mp3 -u

encode protected-mpeg2-mono.mp3 -p -V 5 --resample 16 -m m
encode freeformat.mp3 --freeformat -b 64 -m m
encode vbr-no-tag.mp3 -V 5 -t

cp "$work"/*.mp3 .
ls -l ./*.mp3
