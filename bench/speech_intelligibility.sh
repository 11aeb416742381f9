#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How well each English voice is understood: every voice reads the same lecture notes
# (bench/speech/*.txt, paragraph by paragraph), pocketsphinx with its US English model writes down what
# it hears, and the share of the notes' words it recovered (in order: the longest common
# subsequence of words) is the voice's score. A recogniser is a harsh listener, but a fair
# one: the same for every voice. One line per voice, best first.
#
#   usage: bench/speech_intelligibility.sh BUILD_DIR [VOICE ...]
#   needs: pocketsphinx, pocketsphinx-en-us, sox, python3
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
speak="$(realpath "${1:-$root/build}")/bench/speak_text"
shift || true
voices=("$@")
[ ${#voices[@]} -gt 0 ] || voices=(cmu_us_slt cmu_us_rms cmu_us_awb cmu_us_kal16 "English (America)")
work=$(mktemp -d /tmp/deckrec-intelligibility.XXXXXX)
trap 'rm -rf "$work"' EXIT
notes="$work/notes.txt"
cat "$root"/bench/speech/*.txt >"$notes"

# Lower-case words, nothing else.
words() { tr 'A-Z' 'a-z' | tr -c "a-z'\n" ' ' | tr -s ' ' '\n' | sed '/^$/d'; }
words <"$notes" >"$work/reference.txt"

for voice in "${voices[@]}"; do
  name=${voice//[^A-Za-z0-9_]/_}
  # Paragraph by paragraph, so the recogniser's errors stay local.
  : >"$work/$name.heard"
  spoken=0
  while IFS= read -r paragraph; do
    [ -n "$paragraph" ] || continue
    printf '%s\n' "$paragraph" >"$work/paragraph.txt"
    "$speak" "$voice" "$work/paragraph.txt" "$work/$name.wav" >/dev/null
    sox "$work/$name.wav" -r 16000 -c 1 -b 16 "$work/$name.16k.wav"
    spoken=$(python3 -c "print($spoken + $(soxi -D "$work/$name.16k.wav"))")
    pocketsphinx_continuous -infile "$work/$name.16k.wav" -logfn /dev/null 2>/dev/null >>"$work/$name.heard" || true
  done <"$notes"
  words <"$work/$name.heard" >"$work/$name.words"
  python3 - "$work/reference.txt" "$work/$name.words" "$voice" "$spoken" <<'PY'
import sys
ref = open(sys.argv[1]).read().split()
hyp = open(sys.argv[2]).read().split()
# Longest common subsequence of the two word lists: words recovered, in order.
prev = [0] * (len(hyp) + 1)
for r in ref:
    cur = [0]
    for j, h in enumerate(hyp):
        cur.append(prev[j] + 1 if r == h else max(prev[j + 1], cur[j]))
    prev = cur
print(f"{100.0 * prev[-1] / len(ref):5.1f} % of {len(ref)} words recovered: {sys.argv[3]} "
      f"({len(hyp)} words heard, {float(sys.argv[4]):.0f} s of speech)")
PY
done | sort -rn
