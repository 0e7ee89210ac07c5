#!/usr/bin/env bash
# Mutation check for the test suites: applies each deliberate fault listed in
# scripts/mutations/*.txt to the product code, one at a time, rebuilds, runs
# the tests named for it and reports whether they caught it (failed). The
# source file is put back after every fault, and when the run is stopped;
# files with changes of their own are refused. A tool for the team, not for
# CI. The work is done by scripts/mutate.py.
#
#   bash scripts/mutate.sh [REGEX]   only the faults whose name matches REGEX
#
# A fault is a block of lines, blocks separated by blank lines:
#   name: runs: a range's count one short
#   file: engine/runs.cpp
#   from: exact text that occurs exactly once in the file
#   to:   its replacement (blanks after the colon are not part of either)
# Lines of "from" or "to" that follow without a key continue its text.
#   test: native engine_test        (configuration and CTest regex; repeatable)
# The configurations must already be built (scripts/build.sh).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
filter=${1:-}

# Windows tests need the virtual display and one Wine session for the run.
if [ -z "${MUTATE_INNER:-}" ] && grep -qh '^test: *win32' scripts/mutations/*.txt; then
  bash scripts/wine-prefix.sh >/dev/null
  MUTATE_INNER=1 exec xvfb-run -a -s '-screen 0 1280x1024x24' \
    bash scripts/wine-session.sh bash "$0" "$@"
fi

exec python3 scripts/mutate.py "$filter"
