#!/usr/bin/env bash
# Makes the real MP3 files that the end-to-end tests need and that test code
# cannot easily craft: what other encoders and tools actually write. Each
# file holds about a second of a synthetic signal, so no recording is needed.
# Needs: lame, ffmpeg (with libmp3lame), mp3gain, mp3splt, vbrfix,
# GStreamer's command-line tools with its good plugins (mpegaudioparse,
# apev2mux), python3 and Debian's python3-mutagen; run as root, the script
# installs whatever of these is missing. Made with the Debian 12 packages:
# LAME 3.100, FFmpeg 5.1, mp3gain 1.6.2, mp3splt 2.6.2, vbrfix 0.24,
# GStreamer 1.22, mutagen 1.46; another version may write other bytes.
# Run from anywhere: bash tests/data/make-files.sh
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
#
# The files in edited/ are LAME files (-V 5) that a common tool changed after
# encoding; their own folder keeps them apart from the files above, whose
# verdicts the end-to-end tests already fix:
# edited/mp3splt-start.mp3, edited/mp3splt-middle.mp3
#   The first and the second piece of a 3.9 s file (the source three times
#   over) split at 1.30 s and 2.60 s in mp3splt's default mode. Each piece
#   starts with the original's tag frame with only the Xing frame and byte
#   counts rewritten (the frame count includes the tag frame itself); the
#   TOC and the whole LAME tag, music length and both CRCs, are the
#   original's, so the tag CRC and the music CRC no longer match. The middle
#   piece's first audio frame has a main_data_begin of 490: its data starts
#   in frames left behind in the first piece.
# edited/vbrfix.mp3, edited/vbrfix-lameinfo.mp3
#   Rewritten by vbrfix: a new TOC, quality 1 and a byte count 418 more than
#   the file holds. By default it clears the LAME tag to zeros; with
#   -lameinfo it keeps it as it was, so only the tag CRC no longer matches.
# edited/mp3gain-no-record.mp3
#   Lowered 3 steps with -s s: no undo record anywhere, no tag at all.
#   (mp3gain-id3v2.mp3 above is the -s i case.)
# edited/gstreamer-apev2.mp3
#   Passed through GStreamer (mpegaudioparse ! apev2mux): an empty APEv2 tag,
#   header and footer, 64 bytes at offset 0, then the file unchanged.
# edited/id3v2-appended.mp3
#   An ID3v1 tag at the end and after it an ID3v2.4 tag with a footer ("3DI"
#   in the last 10 bytes). No tool at hand appends an ID3v2 tag: mutagen
#   writes the ID3v1 tag and renders the ID3v2.4 tag without padding, and
#   this script sets its footer flag and adds the footer.
set -euo pipefail
cd "$(dirname "$0")"

need=()
command -v python3 >/dev/null || need+=(python3)
command -v lame >/dev/null || need+=(lame)
command -v ffmpeg >/dev/null || need+=(ffmpeg)
command -v mp3gain >/dev/null || need+=(mp3gain)
command -v mp3splt >/dev/null || need+=(mp3splt)
command -v vbrfix >/dev/null || need+=(vbrfix)
command -v gst-launch-1.0 >/dev/null || need+=(gstreamer1.0-tools)
{ gst-inspect-1.0 mpegaudioparse && gst-inspect-1.0 apev2mux; } >/dev/null 2>&1 ||
  need+=(gstreamer1.0-plugins-good)
# Debian's mutagen is found only by Debian's python.
/usr/bin/python3 -c 'import mutagen' 2>/dev/null || need+=(python3-mutagen)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing: ${need[*]} (run as root to install them)" >&2
    exit 1
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

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

# The files that tools change after encoding; the scratch folder keeps
# their sources apart from the files copied out.
mkdir "$work/edited" "$work/scratch"
python3 - "$work/source.wav" "$work/scratch/long.wav" <<'PY'
import sys, wave
with wave.open(sys.argv[1]) as r:
    params, data = r.getparams(), r.readframes(r.getnframes())
with wave.open(sys.argv[2], "wb") as w:
    w.setparams(params); w.writeframes(data * 3)
PY
lame --quiet -V 5 "$work/scratch/long.wav" "$work/scratch/long.mp3"
mp3splt -q -d "$work/scratch" -o @n "$work/scratch/long.mp3" 0.00 0.01.30 0.02.60 > /dev/null
mv "$work/scratch/1.mp3" "$work/edited/mp3splt-start.mp3"
mv "$work/scratch/2.mp3" "$work/edited/mp3splt-middle.mp3"

encode scratch/plain.mp3 -V 5
# vbrfix leaves its temporary file and a log in the current folder.
(cd "$work/scratch" && vbrfix plain.mp3 ../edited/vbrfix.mp3 > /dev/null &&
  vbrfix -lameinfo plain.mp3 ../edited/vbrfix-lameinfo.mp3 > /dev/null)

cp "$work/scratch/plain.mp3" "$work/edited/mp3gain-no-record.mp3"
gain edited/mp3gain-no-record.mp3 -s s -g -3

gst-launch-1.0 -q filesrc location="$work/scratch/plain.mp3" ! mpegaudioparse ! apev2mux \
  ! filesink location="$work/edited/gstreamer-apev2.mp3"

cp "$work/scratch/plain.mp3" "$work/edited/id3v2-appended.mp3"
/usr/bin/python3 - "$work/edited/id3v2-appended.mp3" "$work/scratch/rendered.id3" <<'PY'
import sys
from mutagen.id3 import ID3, TALB, TIT2, TPE1, delete
path, rendered = sys.argv[1:]
tags = ID3()
tags.add(TIT2(encoding=3, text="Appended tag"))
tags.add(TPE1(encoding=3, text="Kestrix"))
tags.add(TALB(encoding=3, text="Test files"))
# Mutagen writes the ID3v1 tag only beside an ID3v2 tag at the front, which
# then goes again.
tags.save(path, v1=2, v2_version=4)
delete(path, delete_v1=False, delete_v2=True)
open(rendered, "wb").close()
tags.save(rendered, v1=0, v2_version=4, padding=lambda info: 0)
tag = bytearray(open(rendered, "rb").read())
tag[5] |= 0x10  # footer present
tag += b"3DI" + tag[3:10]
with open(path, "ab") as f:
    f.write(tag)
PY

cp "$work"/*.mp3 .
mkdir -p edited
cp "$work"/edited/*.mp3 edited/
ls -l ./*.mp3 edited/*.mp3
