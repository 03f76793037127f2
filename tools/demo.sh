#!/usr/bin/env bash
# Sets the machine up, builds the tool and runs its main job against the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup-machine.sh
cmake --preset native >/dev/null
cmake --build --preset native
echo "Built into build/native/dist/."

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
rm -rf "$flash_demo"
