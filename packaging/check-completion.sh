#!/usr/bin/env bash
# Sources the bash completion of morvane-keytool in a clean bash and checks what it offers for a
# number of command lines.
#   packaging/check-completion.sh COMPLETION_FILE
set -euo pipefail
completion=$1

# offered WORDS: what completing the last of WORDS offers. The words are split as bash splits a
# command line for completion (so "--classes=" is "--classes" and "="); a trailing space starts
# a new, empty word.
offered() {
  # shellcheck disable=SC2016  # expanded by the inner bash
  bash --norc --noprofile -c '
    source "$1"
    read -r -a COMP_WORDS <<<"$2"
    [[ $2 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _morvane_keytool
    echo "${COMPREPLY[*]}"' completion "$completion" "$1"
}

failures=0
while IFS='|' read -r words expected; do
  actual=$(offered "$words")
  if [[ "$actual" != "$expected" ]]; then
    echo "FAIL: '$words' offered '$actual', expected '$expected'"
    failures=$((failures + 1))
  fi
done <<'EOF_CASES'
morvane-keytool |generate score report --help --version
morvane-keytool s|score
morvane-keytool generate|generate
morvane-keytool --|--help --version
morvane-keytool --version |
morvane-keytool generate |--length --classes --count --help
morvane-keytool generate --c|--classes --count
morvane-keytool generate --count|--count
morvane-keytool generate --classes |1 2 3 12 13 23 123 66
morvane-keytool generate --classes 1|1 12 13 123
morvane-keytool generate --classes =|1 2 3 12 13 23 123 66
morvane-keytool generate --classes = 2|2 23
morvane-keytool generate --length |
morvane-keytool generate --count |
morvane-keytool generate --count 3 --|--length --classes --help
morvane-keytool generate --length 8 --classes 66 |--count --help
morvane-keytool score |--help
morvane-keytool report |--json --help
morvane-keytool report --json |--help
EOF_CASES

registered=$(bash --norc --noprofile -c 'source "$1" && complete -p morvane-keytool' _ "$completion")
if [[ "$registered" != "complete -F _morvane_keytool morvane-keytool" ]]; then
  echo "FAIL: registered as '$registered'"
  failures=$((failures + 1))
fi

((failures == 0)) || exit 1
echo "completion check passed"
