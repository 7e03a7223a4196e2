#!/usr/bin/env bash
# The manual page is made from --help; this checks that help2man kept every row of every table
# (commands, exit statuses, options, environment, files) with its text, and that man renders the
# page without a warning.
#   man_page_test.sh HVDETECTOR MANUAL_PAGE
set -euo pipefail
binary=$1 page=$2
if [ ! -f "$page" ]; then
  echo "skipped: no manual page in this build (help2man was not found when it was configured)"
  exit 77
fi
if ! command -v man >/dev/null; then
  echo "skipped: man is not installed"
  exit 77
fi

warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
  echo "FAIL: man warns about the page:" >&2
  echo "$warnings" >&2
  exit 1
fi

# Wide enough that nothing wraps, in plain ASCII, blanks squeezed.
text=$(LC_ALL=C MANWIDTH=4000 man -E ascii -l "$page" | col -b | tr -s ' ')
missing=0
for heading in "Commands:" "OPTIONS" "EXIT STATUS" "ENVIRONMENT" "FILES"; do
  grep -qx -- "$heading" <<<"$text" || grep -qx -- " $heading" <<<"$text" ||
    { echo "FAIL: no '$heading' heading in the page" >&2; missing=1; }
done
# Only the first line of --version is the page's version: the others must not trail the last
# section.
if "$binary" --version | tail -n +2 | grep -qF -f - <(printf "%s\n" "$text"); then
  echo "FAIL: a line of --version stands in the page" >&2
  missing=1
fi
rows=0
while IFS= read -r line; do
  [[ $line =~ ^\ \ ([^ ].*[^ ]|[^ ])\ \ +([^ ].*)$ ]] || continue
  rows=$((rows + 1))
  name=${BASH_REMATCH[1]} summary=$(tr -s ' ' <<<"${BASH_REMATCH[2]}")
  grep -qF -- "$name" <<<"$text" || { echo "FAIL: '$name' is not in the page" >&2; missing=1; }
  grep -qF -- "$summary" <<<"$text" || { echo "FAIL: '$summary' is not in the page" >&2; missing=1; }
done < <("$binary" --help)
if [ "$rows" -lt 10 ]; then
  echo "FAIL: only $rows rows found in --help" >&2
  exit 1
fi
[ "$missing" = 0 ] || exit 1
echo "the manual page holds all $rows rows of --help"
