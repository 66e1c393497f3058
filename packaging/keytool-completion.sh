# Bash completion for morvane-keytool: its commands, each command's options and the class codes.
# Installed as /usr/share/bash-completion/completions/morvane-keytool; needs nothing from the
# bash-completion package, so that it also works when sourced on its own.
# shellcheck shell=bash

_morvane_keytool() {
  local current=${COMP_WORDS[COMP_CWORD]}
  local previous=${COMP_WORDS[COMP_CWORD - 1]:-}
  # "--classes=1" arrives as "--classes", "=", "1", since "=" breaks words.
  if [[ $previous == "=" && $COMP_CWORD -ge 2 ]]; then
    previous=${COMP_WORDS[COMP_CWORD - 2]}
  elif [[ $current == "=" ]]; then
    previous=${COMP_WORDS[COMP_CWORD - 1]}
    current=""
  fi

  local command="" word index
  for ((index = 1; index < COMP_CWORD; index++)); do
    word=${COMP_WORDS[index]}
    case $word in
      generate | score | report) command=$word && break ;;
      -h | --help | -v | --version) COMPREPLY=() && return 0 ;;  # they end the line
    esac
  done

  local options
  case $command in
    "") options="generate score report --help --version" ;;
    generate)
      case $previous in
        --classes) options="1 2 3 12 13 23 123 66" ;;
        --length | --count) COMPREPLY=() && return 0 ;;  # a number of the user's choosing
        *) options="--length --classes --count --help" ;;
      esac
      ;;
    score) options="--help" ;;
    report) options="--json --help" ;;
  esac

  # Options already on the line are not offered again.
  local offered=() option
  for option in $options; do
    if [[ $option == --* ]]; then
      for ((index = 1; index < COMP_CWORD; index++)); do
        [[ ${COMP_WORDS[index]} == "$option" ]] && continue 2
      done
    fi
    offered+=("$option")
  done
  mapfile -t COMPREPLY < <(compgen -W "${offered[*]}" -- "$current")
  return 0
}
complete -F _morvane_keytool morvane-keytool
