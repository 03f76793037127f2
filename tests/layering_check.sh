#!/bin/sh
# Includes point down the layers only: no library below ui/ includes a header of ui/.
# Prints the offending lines and fails when there are any.
cd "$(dirname "$0")/.." || exit 2
found=$(grep -rn '#include "ui/' settings/ jobs/ serial/ monitor/ boot/ flash/)
if [ -n "$found" ]; then
  echo "includes that run up to ui/:"
  echo "$found"
  exit 1
fi
exit 0
