#!/usr/bin/env bash
# Checks the bash completion's syntax and what it offers on a few command
# lines, the last word being completed. Arguments: the script, a scratch folder.
bash -n "$1" && source "$1" || exit 1
rm -rf "$2" && mkdir -p "$2" && cd "$2" && touch help.mp3 || exit 1
failed=0
expect() {
  COMP_WORDS=("${@:2}") COMP_CWORD=$(($# - 2))
  _kestrix
  [ "${COMPREPLY[*]}" = "$1" ] || { echo "'${*:2}' gives '${COMPREPLY[*]}'" && failed=1; }
}
expect "--json" kestrix -r --j
# No second output form; after "--" only paths, left to readline.
expect "--recursive -r --utf8 -- --help -help -h" kestrix --csv x -
expect "" kestrix -- --v
# The help word, first only, or a path.
expect "help help.mp3" kestrix he
expect "" kestrix x he
[ "$(complete -p kestrix)" = "complete -o default -F _kestrix kestrix" ] || failed=1
exit $failed
