#!/usr/bin/env bash
# Runs a command (a test run) inside one Wine session that lasts the whole
# command: a persistent wineserver started here, under the caller's display,
# and stopped afterwards. Without it every Wine program starts and ends the
# server, and a program that starts just as the server shuts down fails with
# "wine client error".
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
# Let the server of an earlier run end first; one that never ends is stopped.
timeout 30 wineserver -w </dev/null >/dev/null 2>&1 || wineserver -k </dev/null >/dev/null 2>&1
# The server and the session's services outlive any one program: they must
# not hold on to a test's output, or CTest waits for them forever. So they
# start here, with no output of ours open.
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
"$@"
status=$?
wineserver -k </dev/null >/dev/null 2>&1
timeout 30 wineserver -w </dev/null >/dev/null 2>&1
exit $status
