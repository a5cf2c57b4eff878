# Bash completion for kestrix. Options stand anywhere before "--"; file and
# folder names are left to readline (-o default), which quotes them, knows
# "~" and marks folders.

_kestrix() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} word option
  local options="--recursive -r --utf8 --utf16 --json --csv --verify --quiet -q --summary"
  options+=" --files-from --files0-from --jobs -j -- --help -help -h --version"
  # What the program would refuse after the words already there: a second
  # output form or encoding, an option of another form.
  local refused=" "
  COMPREPLY=()
  case $prev in
  --files-from | --files0-from) return 0 ;; # the list's name, or - for standard input
  --jobs | -j) return 0 ;;                    # a number
  esac
  for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
    case $word in
    --) return 0 ;; # only paths follow
    --json) refused+="--json --csv --verify --quiet -q " ;;
    --csv) refused+="--json --csv --verify --quiet -q --summary " ;;
    --verify) refused+="--json --csv --verify " ;;
    --quiet | -q) refused+="--json --csv " ;;
    --summary) refused+="--csv " ;;
    --utf8 | --utf16) refused+="--utf8 --utf16 " ;;
    esac
  done
  if [[ $cur == -* ]]; then
    local offered=()
    for option in $options; do
      [[ $refused == *" $option "* ]] || offered+=("$option")
    done
    mapfile -t COMPREPLY < <(compgen -W "${offered[*]}" -- "$cur")
  elif ((COMP_CWORD == 1)) && [[ help == "$cur"* ]]; then
    # The help word, or a path that starts like it.
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -W help -- "$cur"; compgen -f -- "$cur")
  fi
}

complete -o default -F _kestrix kestrix
