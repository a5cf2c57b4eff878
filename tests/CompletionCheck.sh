#!/usr/bin/env bash
# Checks the bash completion script: its syntax, and what it offers on a few
# command lines. Arguments: the script, and a scratch folder.
script=$1
folder=$2
bash -n "$script" || exit 1
# shellcheck source=/dev/null
source "$script"
rm -rf "$folder" && mkdir -p "$folder" && cd "$folder" && touch help.mp3 || exit 1

failed=0
# The words expected, then the command line; its last word is completed.
expect() {
  local expected=$1
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  _kestrix
  if [ "${COMPREPLY[*]}" != "$expected" ]; then
    echo "completing '$*': got '${COMPREPLY[*]}', expected '$expected'"
    failed=1
  fi
}
expect "--json" kestrix -r --j
# No second output form; options after "--" are paths.
expect "--recursive -r --utf8 -- --help -help -h" kestrix --csv x -
expect "" kestrix -- --v
# The help word is a first argument only; paths are left to readline there.
expect "help help.mp3" kestrix he
expect "" kestrix x he
[ "$(complete -p kestrix)" = "complete -o default -F _kestrix kestrix" ] || failed=1
exit $failed
