#!/usr/bin/env bash
# Sets the machine up, builds the tool and runs its main job against the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup-machine.sh
cmake --preset native >/dev/null
cmake --build --preset native
echo "Built into build/native/dist/."
