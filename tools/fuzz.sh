#!/usr/bin/env bash
# Runs one fuzz target for a while: tools/fuzz.sh TARGET SECONDS
#   TARGET   mot, ini, devtable, boot, monitor or net (or fuzz_mot, ...)
# Builds the fuzz preset (clang, libFuzzer, AddressSanitizer, UBSan) if needed, starts from
# the target's seeds and regression inputs, and keeps what it learns in
# build/fuzz/corpus/TARGET (the seeds in the repository stay as they are). A finding is
# written to build/fuzz/findings/TARGET/ and the script exits non-zero; keep such an input
# in tests/fuzz/regressions/TARGET/ once the fault is mended.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -ne 2 ]; then
  echo "usage: tools/fuzz.sh TARGET SECONDS" >&2
  exit 2
fi
target=${1#fuzz_}
seconds=$2
case "$target" in
  mot|ini|devtable|boot|monitor|net) ;;
  *) echo "unknown fuzz target: $1" >&2; exit 2 ;;
esac

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null

corpus=build/fuzz/corpus/$target
findings=build/fuzz/findings/$target
mkdir -p "$corpus" "$findings"
inputs=("$corpus" "tests/fuzz/corpus/$target")
[ -d "tests/fuzz/regressions/$target" ] && inputs+=("tests/fuzz/regressions/$target")

# -timeout: one input running this long (real seconds) counts as a hang.
exec "build/fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
  -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$findings/" "${inputs[@]}"
