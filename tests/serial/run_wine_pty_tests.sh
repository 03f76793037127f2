#!/bin/sh
# Runs the Windows serial tests under Wine against a pseudo-terminal that pty_far_end
# links as COM<port> in the Wine prefix.
#   run_wine_pty_tests.sh <pty_far_end> <test program> <port number> [program args...]
set -u
far_end=$1
program=$2
port=$3
shift 3
if [ ! -x "$far_end" ]; then
  echo "$far_end is missing: build the native preset first" >&2
  exit 1
fi
K470_TEST_PORT=$port
export K470_TEST_PORT
"$far_end" --link "$WINEPREFIX/dosdevices/com$port" --timeout 100 -- wine "$program" "$@"
