#!/usr/bin/env bash
# morvane-keytool.exe under wine gives the answers of the Linux build of the same source: score
# and report on the same inputs, through a pipe or from a file, with the same status and
# messages. Windows writes text with CR LF line ends; those are compared as LF. Keys made by
# generate are random, so only their form is compared.
# Usage: KeytoolSameAnswersTest.sh WINDOWS_KEYTOOL LINUX_KEYTOOL
set -euo pipefail

windows_tool=$1
linux_tool=${2:-}
if [[ -z "$linux_tool" || ! -x "$linux_tool" ]]; then
  echo "skipped: no Linux morvane-keytool to compare with (configure with -DMORVANE_LINUX_KEYTOOL=...)"
  exit 77
fi
unset WINEPATH  # the tool must run with what its folder holds

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# run_windows WAY INPUT_FILE ARGUMENTS...: runs the Windows tool with standard input from the
# file through a pipe or from the file itself (WAY), into windows.out and windows.err; sets status.
run_windows() {
  local way=$1 input=$2
  shift 2
  status=0
  if [[ $way == pipe ]]; then
    cat "$input" | wine "$windows_tool" "$@" >"$work/windows.out" 2>"$work/windows.err" || status=$?
  else
    wine "$windows_tool" "$@" <"$input" >"$work/windows.out" 2>"$work/windows.err" || status=$?
  fi
}

# run_both NAME WAY INPUT_FILE ARGUMENTS...: runs both tools with standard input from the file,
# the Windows one through a pipe or from the file (WAY), and compares standard output, standard
# error and the status.
run_both() {
  local name=$1 way=$2 input=$3
  shift 3
  local status=0
  "$linux_tool" "$@" <"$input" >"$work/linux.out" 2>"$work/linux.err" || status=$?
  echo "$status" >>"$work/linux.out"
  run_windows "$way" "$input" "$@"
  sed -i 's/\r$//' "$work/windows.out" "$work/windows.err"
  echo "$status" >>"$work/windows.out"
  cmp -s "$work/linux.out" "$work/windows.out" ||
    fail "$name, $way: $(diff <(od -c "$work/linux.out") <(od -c "$work/windows.out") | head -20)"
  cmp -s "$work/linux.err" "$work/windows.err" ||
    fail "$name, $way: standard error '$(cat "$work/windows.err")', not '$(cat "$work/linux.err")'"
}

# Inputs as printf formats, one case a line: NAME<TAB>FORMAT.
while IFS=$'\t' read -r name format; do
  # shellcheck disable=SC2059  # the format is the input
  printf "$format" >"$work/input"
  # Each command one way; all three are read alike.
  run_both "score: $name" pipe "$work/input" score
  run_both "report: $name" file "$work/input" report
  run_both "report --json: $name" pipe "$work/input" report --json
done <<'CASES'
empty	
LF lines	abc\nAbc1!x\n\n
CR LF lines	abc\r\nab:\r\n\r\nAb1!c\r\n
last line without LF keeps its CR	abc\nabc\r
lone CR and NUL inside keys	ab\rcd\nx\000yz\n
Ctrl+Z is a character, not the end	ab\032cd\r\nAbcd12\r\n
markup, quotes and backslashes	<b>x</b>\n "\\\t\n
UTF-8 byte-order mark, emoji and euro sign	\357\273\277abcdefgh\r\nab\360\237\230\200\ncd\342\202\254\n
Windows-1252 byte on line 3	abc\r\nabd\r\ncaf\351\r\n
character cut short by the end	ab\n\342\202
CASES

# One long key, and one that only repeats a block.
head -c 300000 /dev/zero | tr '\0' 'a' >"$work/long"
printf 'Xy9\n' >>"$work/long"
run_both "score: 300,000 letters" file "$work/long" score

# The command line: errors and the version, compared exactly.
printf 'abc\n' >"$work/input"
for arguments in "" "check" "--fast" "generate --length 256" "generate --classes 4" \
  "generate --count=-1" "score Secret1!" "--version"; do
  # shellcheck disable=SC2086  # one word an argument
  run_both "arguments '$arguments'" pipe "$work/input" $arguments
done

# generate: the form of the keys. Class 66 draws from codes 31 to 254, which the Linux tool shows
# as the same characters; the count of characters is what must agree.
check_keys() {
  local name=$1 pattern=$2 count=$3
  shift 3
  run_windows file /dev/null generate "$@"
  sed -i 's/\r$//' "$work/windows.out"
  [[ $status -eq 0 && ! -s "$work/windows.err" ]] ||
    fail "generate $name: status $status, '$(cat "$work/windows.err")'"
  [[ $(grep -cxE "$pattern" "$work/windows.out") -eq $count && $(wc -l <"$work/windows.out") -eq $count ]] ||
    fail "generate $name: $(head -c 600 "$work/windows.out")"
}
check_keys "with no options" '[A-Za-z0-9]{12}' 1
check_keys "--classes 2 --length 40 --count 3" '[0-9]{40}' 3 --classes 2 --length 40 --count 3
check_keys "--classes 13 --length 7 --count 2" '[A-Za-z]{7}' 2 --classes 13 --length 7 --count 2
LC_ALL=C.UTF-8 check_keys "--classes 66 --length 255" '.{255}' 1 --classes 66 --length 255
check_keys "--length 0 --count 3" '' 3 --length 0 --count 3

# At a console (wine makes one of a pseudo-terminal; its code page is 437 here): keys typed there
# reach the tool as the characters typed and are not shown, and what the tool writes, keys of the
# wide set among it, shows as those characters again. A console keeps no trailing spaces; they are
# left out of the comparison.
at_console() {  # at_console COMMAND LINE...: the Windows tool typed at, against the Linux one
  local command=$1
  shift
  printf '%s\n' "$@" | "$linux_tool" "$command" | sed 's/ *$//' >"$work/linux.out" || true
  python3 "$(dirname "$0")/console.py" "$(wc -l <"$work/linux.out")" wine "$windows_tool" \
    "$command" -- "$@" | sed 's/ *$//' >"$work/windows.out" || true
  cmp -s "$work/linux.out" "$work/windows.out" ||
    fail "$command at a console: $(diff "$work/linux.out" "$work/windows.out" | head -20)"
}
at_console score 'café 1A' 'Ab1€ÿx' 'ab😀1'
# Every character of the wide set but the controls, in its order from code 32 to 254.
at_console report "$(python3 -c 'print(bytes(c for c in range(32, 255)
  if c not in (127, 0x81, 0x8d, 0x8f, 0x90, 0x9d)).decode("cp1252"))')"

if ((failures > 0)); then
  echo "$failures failed"
  exit 1
fi
echo "PASS"
