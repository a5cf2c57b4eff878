#!/usr/bin/env bash
# Checks the bash completion's syntax and what it offers on a few command
# lines, the last word being completed; then that the bash and zsh
# completions both know every option the program's help lists. Arguments:
# the bash script, a scratch folder, the zsh script, the program.
bash -n "$1" && source "$1" || exit 1
zsh_script=$(realpath "$3") program=$(realpath "$4")
rm -rf "$2" && mkdir -p "$2" && cd "$2" && touch help.mp3 || exit 1
failed=0
expect() {
  COMP_WORDS=("${@:2}") COMP_CWORD=$(($# - 2))
  _kestrix
  [ "${COMPREPLY[*]}" = "$1" ] || { echo "'${*:2}' gives '${COMPREPLY[*]}'" && failed=1; }
}
expect "--json" kestrix -r --js
# No second output form or encoding, no option of another form; after "--"
# only paths, left to readline.
expect "--recursive -r --utf8 --utf16 --files-from --files0-from --jobs -j -- --help -help -h --version" \
  kestrix --csv x -
expect "--summary" kestrix --json --s
expect "--quiet" kestrix x --verify --q
expect "" kestrix --utf16 --u
expect "" kestrix -- --v
# A file list's name is left to readline, and a count of jobs to the user.
expect "" kestrix --files0-from -
expect "" kestrix -j -
# The help word, first only, or a path.
expect "help help.mp3" kestrix he
expect "" kestrix x he
[ "$(complete -p kestrix)" = "complete -o default -F _kestrix kestrix" ] || failed=1

# The options of the help's option block: the words before its text.
options=$("$program" -h x | awk '/^  -/ {
  split($0, columns, /   +/)
  n = split(columns[1], words, /[, ]+/)
  for (i = 1; i <= n; ++i) if (words[i] ~ /^-/) print words[i]
}')
[ "$(wc -l <<<"$options")" -ge 16 ] || { echo "help lists too few options: $options" && failed=1; }
for option in $options; do
  grep -qE -- "[ \"]${option}[ \"]" "$1" || { echo "bash completion lacks $option" && failed=1; }
  # A zsh option is one of an argument line's names: in its braces or before its text.
  [ "$option" = "--" ] || grep -qE -- "[{,)*]${option}[[,}]" "$zsh_script" ||
    { echo "zsh completion lacks $option" && failed=1; }
done
if command -v zsh >/dev/null; then
  zsh -n "$zsh_script" || failed=1
fi
exit $failed
