#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The bash completion as bash-completion runs it: a table of command lines and the words each
# completes to, in a folder of decks, other files and folders; then every option each help
# lists is offered by its command.
#   completion_test.sh COMPLETION PROGRAM
set -uo pipefail
completion=$(realpath "$1")
program=$(realpath "$2")
fail() { echo "completion_test.sh: $*" >&2; exit 1; }

bash -n "$completion" || fail "$completion is not valid bash"
# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion || fail "bash-completion is not installed"
# shellcheck disable=SC1090
source "$completion"
# Outside a completion bash refuses compopt; what it would set is not under test.
compopt() { :; }

scratch=$(mktemp -d /tmp/deckrec-completion.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
touch talk.pptx TALK.ODP table.txt take.gif -- -dash.odp
mkdir tdir

# The words COMPREPLY holds, sorted, for deckrec and the words given; the last word is the one
# being completed, and "=" stands apart as bash splits it.
completed() {
  local line=deckrec previous= word
  for word in "$@"; do
    if [[ $word == = || $previous == = ]]; then line+=$word; else line+=" $word"; fi
    previous=$word
  done
  COMP_WORDS=(deckrec "$@")
  COMP_CWORD=$#
  COMP_LINE=$line
  COMP_POINT=${#line}
  COMPREPLY=()
  _deckrec deckrec "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'
}

failures=0
while IFS='|' read -r words expected; do
  [[ -z $words || $words == \#* ]] && continue
  read -r -a args <<<"$words"
  # A trailing space in the table's words: the word being completed is empty.
  [[ $words == *' ' ]] && args+=("")
  got=$(completed "${args[@]}")
  if [[ $got != "$expected" ]]; then
    echo "deckrec $words<TAB>: expected \"$expected\", got \"$got\"" >&2
    failures=$((failures + 1))
  fi
done <<'TABLE'
# words after "deckrec" | what they complete to (sorted)
con|convert
t|talk.pptx tdir
--v|--version
convert t|talk.pptx tdir
convert T|TALK.ODP
convert --col|--colors
convert --colors |256 gray
convert --colors = g|gray
convert --capture 1|1280x720 1920x1080
convert --dither f|floyd-steinberg
convert --timings |deck latency
convert --bits 2|24
convert --latency |
convert -o t|take.gif tdir
convert --keep-recording t|tdir
convert --re|--realtime
convert -- -|-dash.odp
export t|tdir
export --re|
export --keep|
export --col|--colors
batch t|talk.pptx tdir
batch -O t|tdir
batch --output-dir = t|tdir
batch --list t|table.txt take.gif talk.pptx tdir
batch --formats |avi chapters.txt gif mkv mp4 srt vtt webm
batch --formats mp4,c|mp4,chapters.txt
batch --progress |json text
batch --gif-m|--gif-max-size --gif-mode
batch --kee|
TABLE

# Every option a help lists on a line of its own is offered: convert's by "deckrec convert -",
# the batch's by "deckrec batch -".
for command in convert batch; do
  help=$([[ $command == batch ]] && "$program" batch --help || "$program" --help)
  offered=" $(completed "$command" -) "
  for option in $(echo "$help" | grep -oE '^  -[A-Za-z-]+(, -[A-Za-z-]+)?' | tr -d ','); do
    if [[ $offered != *" $option "* ]]; then
      echo "deckrec $command -<TAB> does not offer $option" >&2
      failures=$((failures + 1))
    fi
  done
done

[ "$failures" -eq 0 ] || fail "$failures completions went wrong"
echo "completion_test.sh: every completion as expected"
