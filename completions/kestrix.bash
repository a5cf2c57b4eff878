# Bash completion for kestrix. Options stand anywhere before "--"; file and
# folder names are left to readline (-o default), which quotes them, knows
# "~" and marks folders.

_kestrix() {
  local cur=${COMP_WORDS[COMP_CWORD]} word
  local options="--recursive -r --utf8 --json --csv --verify -- --help -help -h"
  COMPREPLY=()
  for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
    case $word in
    --) return 0 ;; # only paths follow
    # The program refuses a second output form.
    --json | --csv | --verify) options="--recursive -r --utf8 -- --help -help -h" ;;
    esac
  done
  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
  elif ((COMP_CWORD == 1)) && [[ help == "$cur"* ]]; then
    # The help word, or a path that starts like it.
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -W help -- "$cur"; compgen -f -- "$cur")
  fi
}

complete -o default -F _kestrix kestrix
