#!/bin/sh
# Includes point down the layers only. The order, top to bottom (folders on one line are
# one layer and include nothing of each other):
#   app
#   ui cli
#   flash
#   monitor boot
#   serial
#   jobs settings spl
#   base
# A folder includes its own headers and those of any layer below it. Prints the offending
# lines and fails when there are any.
cd "$(dirname "$0")/.." || exit 2
found=$(grep -rn '#include "[a-z]*/' app ui cli flash monitor boot serial jobs settings spl base |
  awk '
    BEGIN {
      split("app:7 ui:6 cli:6 flash:5 monitor:4 boot:4 serial:3 jobs:2 settings:2 spl:2 base:1", pairs, " ")
      for (i in pairs) { split(pairs[i], kv, ":"); level[kv[1]] = kv[2] }
    }
    {
      split($0, path, "/"); from = path[1]
      to = $0; sub(/^[^"]*"/, "", to); sub(/\/.*/, "", to)
      if (to != from && (!(to in level) || level[to] >= level[from])) print
    }')
if [ -n "$found" ]; then
  echo "includes that do not run down the layers:"
  echo "$found"
  exit 1
fi
exit 0
