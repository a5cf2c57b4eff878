#!/usr/bin/env bash
# beets' badfiles plugin with Kestrix as its MP3 checker, on a library made
# here: an intact sample and a copy with one bit flipped in its audio.
# "beet bad" must name the damaged file with Kestrix's BAD line and leave
# the intact one out, and so must "beet ls -p" piped into a quiet verify.
# Exits 77 (skipped) when beet is not installed.
#   bash BeetsCheck.sh KESTRIX SAMPLE WORK_FOLDER
set -euo pipefail
kestrix=$1
sample=$2
work=$3
skipped=77

if ! command -v beet >/dev/null; then
  echo "beet is not installed (tools/install-deps installs Debian's beets): skipped"
  exit $skipped
fi

rm -rf "$work"
mkdir -p "$work/music" "$work/beets"
cp "$sample" "$work/music/intact.mp3"
cp "$sample" "$work/music/damaged.mp3"
damaged=$work/music/damaged.mp3
middle=$(($(stat -c %s "$damaged") / 2))
byte=$(od -An -tu1 -j "$middle" -N1 "$damaged" | tr -d ' ')
printf %b "\\$(printf %03o $((byte ^ 1)))" |
  dd of="$damaged" bs=1 seek="$middle" conv=notrunc status=none

export BEETSDIR=$work/beets
cat > "$BEETSDIR/config.yaml" <<CONFIG
directory: $work/library
library: $work/beets/library.db
plugins: badfiles
badfiles:
  commands:
    mp3: "'$kestrix' --verify"
import:
  copy: no
  write: no
  autotag: no
  quiet: yes
ui:
  color: no
CONFIG

beet import -q -A "$work/music" </dev/null >/dev/null
bad=$(beet bad </dev/null 2>&1)

fail() {
  echo "$1"
  echo "it printed:"
  echo "$bad"
  exit 1
}
grep -q "damaged.mp3: checker exited with status 4$" <<<"$bad" ||
  fail "the damaged file is not named with Kestrix's exit status"
grep -q "^  BAD  .*/damaged.mp3: music CRC stored " <<<"$bad" ||
  fail "Kestrix's BAD line is missing"
if grep -q "intact.mp3" <<<"$bad"; then
  fail "the intact file is named"
fi

status=0
listed=$(beet ls -p </dev/null | "$kestrix" --verify --quiet --files-from -) || status=$?
bad=$listed
[ "$status" -eq 4 ] || fail "the piped run ended with $status, not 4"
grep -q "^BAD  .*/damaged.mp3: music CRC stored " <<<"$listed" || fail "the piped run has no BAD line"
if grep -q "intact.mp3" <<<"$listed"; then
  fail "the piped run names the intact file"
fi
echo "beet bad and a piped run name the damaged file only"
