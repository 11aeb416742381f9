#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The manual page as man shows it: no warning from man or groff at 80 columns, and every
# option that `deckrec --help` or `deckrec batch --help` names has an entry of its own (a tag
# of the page's option lists, not a mention in passing).
#   manpage_test.sh PAGE PROGRAM     (PAGE: deckrec.1 or deckrec.1.gz)
set -euo pipefail
page=$1
program=$2
fail() { echo "manpage_test.sh: $*" >&2; exit 1; }

warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man -l $page failed: $warnings"
[ -z "$warnings" ] || fail "man warns about $page: $warnings"
rendered=$(MANWIDTH=80 man -l "$page" 2>/dev/null)
grep -q '^SYNOPSIS' <<<"$rendered" || fail "$page renders without a SYNOPSIS"
wide=$(awk 'length > 80' <<<"$rendered")
[ -z "$wide" ] || fail "$page has lines wider than 80 columns: $wide"

# The tags: the line after each .TP, without fonts and with minus signs as typed.
tags=$( (zcat -f "$page") | awk 'tag { print; tag = 0 } /^\.TP/ { tag = 1 }' |
  sed -e 's/\\f[BIRP]//g' -e 's/\\-/-/g')
helps=$("$program" --help; "$program" batch --help)
options=$(grep -oE '(^|[][ (|])--?[A-Za-z][A-Za-z0-9-]*' <<<"$helps" | sed 's/^[][ (|]//' | sort -u)
[ "$(wc -l <<<"$options")" -gt 30 ] || fail "found only these options in the help: $options"
missing=()
for option in $options; do
  grep -qE -- "(^|[ ,])$option( |,|$)" <<<"$tags" || missing+=("$option")
done
[ ${#missing[@]} -eq 0 ] || fail "options of --help without an entry in $page: ${missing[*]}"
echo "manpage_test.sh: $page renders cleanly and describes all $(wc -l <<<"$options") options"
