#!/usr/bin/env bash
# Starts the window program K470Loader.exe under Wine with a simulated target on COM1, for
# a user on Linux who wants to see and try it without hardware.
#   tools/run-gui.sh [monitor|h8-3069|h8-36077] [further k470sim options]
# The program runs from a copy of the Windows build's dist/ (build/gui-run/), so its INI
# file and the simulator's write-control program stay out of the build.
set -euo pipefail
cd "$(dirname "$0")/.."

target=${1:-monitor}
[ $# -gt 0 ] && shift

if [ ! -x build/native/dist/k470sim ]; then
  cmake --preset native >/dev/null && cmake --build --preset native --target k470sim
fi
if [ ! -f build/windows/dist/K470Loader.exe ]; then
  cmake --preset windows >/dev/null && cmake --build --preset windows
fi

export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-k470loader}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# The Japanese locale gives Wine the code page 932 in which the program's texts are.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
[ -d "$WINEPREFIX" ] || wineboot --init

run=build/gui-run
mkdir -p "$run"
cp -r build/windows/dist/. "$run/"
# The H8/36077 needs a write-control program; the simulator's test program stands in.
cp flash/data/sim-write-control.mot "$run/bin/36077.mot"

# A first run starts on the page of the target, with the sample image in the RAM load
# page's file list.
if [ ! -f "$run/K470Loader.ini" ]; then
  mode=0; cpu=0
  [ "$target" = monitor ] && mode=1
  [ "$target" = h8-36077 ] && cpu=1
  sample="Z:$(pwd)/tools/samples/sample.mot"
  printf '[System]\r\nCom=1\r\nMode=%d\r\nCpuSel=%d\r\n[RamLoad]\r\nname1=%s\r\naddress=200000\r\n' \
    "$mode" "$cpu" "${sample//\//\\}" > "$run/K470Loader.ini"
fi

# The program first: when Wine starts, it links COM1 to its default device again, so the
# simulator's link is made after that.
wine "$run/K470Loader.exe" &
program=$!
trap 'kill "${sim:-}" 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
sleep 3
build/native/dist/k470sim "$target" --link "$WINEPREFIX/dosdevices/com1" \
  --report "$run/sim-report.json" "$@" &
sim=$!
echo "k470sim ($target) is on COM1; close the K470Loader window to stop."
wait "$program"
