#!/usr/bin/env bash
# Writes samples-report.utf16le: the reports of the bundled samples as the
# Windows program writes them redirected (UTF-16LE without a byte-order
# mark, CR LF), from the Linux program's --utf16 under a locale that groups
# digits with "," as an English Windows does. The banner is left out and
# each path line cut to the file's name, so the file holds nothing of the
# machine or the day it was made on. The samples go on the command line in
# the order of their names' bytes, as the tests pass them.
#   bash tests/data/make-golden.sh [kestrix binary]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
exe=${1:-$root/build/default/src/kestrix}
export LC_ALL=C
samples=("$root"/samples/*.mp3)
banner=4  # three lines and an empty one
LC_ALL=en_US.UTF-8 "$exe" --utf16 "${samples[@]}" |
  iconv -f UTF-16LE -t UTF-8 |
  tail -n +$((banner + 1)) |
  sed -E 's#^.*/([^/]*\.mp3\r)$#\1#' |
  iconv -f UTF-8 -t UTF-16LE > "$root/tests/data/samples-report.utf16le"
