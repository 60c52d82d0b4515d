#!/bin/sh
# Non-blank lines of the tests against those of the program: every file
# under tests/ counts (test code and hand-written case files) except the
# pinned whole-file outputs under expected/ directories and coefficient
# data (*.coef); everything under src/ counts. The aim is at most a third.
#   tools/test_ratio.sh [-v]      -v lists the test files with their counts
cd "$(dirname "$0")/.." || exit 1
count() { find "$@" -type f -print0 | xargs -0 cat | grep -cv '^[[:space:]]*$'; }
tests=$(count tests -not -path '*/expected/*' -not -name '*.coef')
src=$(count src)
if [ "${1:-}" = -v ]; then
  find tests -type f -not -path '*/expected/*' -not -name '*.coef' | sort | while read -r f; do
    printf '%6d %s\n' "$(grep -cv '^[[:space:]]*$' "$f")" "$f"
  done
fi
echo "tests $tests lines, src $src lines: $(awk "BEGIN { printf \"%.3f\", $tests / $src }") (at most 0.333)"
