#!/usr/bin/env bash
# Sets the machine up, builds everything (Linux and Windows builds) and runs the tool's
# main job: a RAM load of a sample image into the simulated board (k470sim monitor, paced
# at 38400 bit/s), with the board's detection first, the progress while it loads, and the
# simulator's report and RAM checked against the image at the end;
# then a flash write of a sample image into the simulated H8/3069.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup-machine.sh
for preset in native windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
echo "Built into build/native/dist/ and build/windows/dist/."

dist=build/native/dist
sample=tools/samples/sample.mot
work=$(mktemp -d)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# The simulated board on a pseudo-terminal, in a session of its own.
setsid "$dist/k470sim" monitor --report "$work/report.json" --memory "$work/ram.bin" \
  >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
for _ in $(seq 100); do
  grep -q '^k470sim ready ' "$work/sim.out" 2>/dev/null && break
  sleep 0.1
done
port=$(sed -n 's/^k470sim ready //p' "$work/sim.out")
[ -n "$port" ] || { cat "$work/sim.err" >&2; echo "k470sim did not start" >&2; exit 1; }
echo
echo "== Simulated K470L board on $port"

echo "== k470 detect --port $port --seconds 3"
"$dist/k470" detect --port "$port" --seconds 3
echo "== k470 ramload --port $port --go $sample"
"$dist/k470" ramload --port "$port" --go "$sample"

kill -TERM "$sim_pid"
wait "$sim_pid" || true
sim_pid=""
echo "== The simulator's report"
python3 - "$work/report.json" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
events = report.pop("events", [])
loads = report.pop("loads", [])
report["go"] = ["%X" % a for a in report.get("go", [])]
print(json.dumps(report, indent=2))
print("loads: %d" % len(loads))
for load in loads:
    print("  L %X %d s  %s" % (load["address"], load["length"], "ok" if load["ok"] else "refused"))
print("(%d events)" % len(events))
PY
"$dist/k470" image "$sample" --base 200000 --size 40000 --out "$work/image.bin" >/dev/null
if cmp -s "$work/image.bin" "$work/ram.bin"; then
  echo "== The board's RAM equals the image."
else
  echo "== The board's RAM differs from the image!" >&2
  exit 1
fi
cleanup
trap - EXIT
echo

# Flash write: a sample image into the simulated H8/3069 (paced like a real line).
flash_demo=$(mktemp -d)
python3 - "$flash_demo/sample-flash.mot" <<'PY'
import sys
lines = []
data = bytes((i * 7 + 1) & 0xFF for i in range(16 * 1024))
for a in range(0, len(data), 32):
    body = bytes([37]) + a.to_bytes(4, "big") + data[a:a + 32]
    lines.append("S3%s%02X" % (body.hex().upper(), 0xFF - (sum(body) & 0xFF)))
lines.append("S70500000000FA")
open(sys.argv[1], "w").write("\n".join(lines) + "\n")
PY
build/native/dist/k470sim h8-3069 --report "$flash_demo/report.json" \
  --memory "$flash_demo/flash.bin" > "$flash_demo/sim.out" &
flash_sim=$!
trap 'kill $flash_sim 2>/dev/null || true' EXIT
for _ in $(seq 100); do grep -q ready "$flash_demo/sim.out" && break; sleep 0.1; done
flash_port=$(awk '/ready/ {print $3}' "$flash_demo/sim.out")
echo "Writing a 16 KiB sample image into k470sim h8-3069 on $flash_port:"
build/native/dist/k470 flash --port "$flash_port" --device H8/3069F "$flash_demo/sample-flash.mot"
kill "$flash_sim"
wait "$flash_sim" || true
trap - EXIT
python3 - "$flash_demo/report.json" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))
print("simulator: matched at %s bit/s, wrote at %s bit/s, %d blocks programmed, ended: %s"
      % (r["locked_rate"], r["rate"], len(r["blocks"]), r["ended"]))
PY
build/native/dist/k470 image "$flash_demo/sample-flash.mot" --base 0 --size 80000 \
  --out "$flash_demo/image.bin" >/dev/null
if cmp -s "$flash_demo/image.bin" "$flash_demo/flash.bin"; then
  echo "== The chip's flash equals the image."
else
  echo "== The chip's flash differs from the image!" >&2
  exit 1
fi
rm -rf "$flash_demo"
