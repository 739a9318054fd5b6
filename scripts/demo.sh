#!/usr/bin/env bash
# The main job: sends a sample message through the plug-in in the stand-in
# host and shows what the recipient's phone gets. Installs and builds what is
# missing first. Arguments replace the default ones given to `hostsim send`.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native -j"$(nproc)" --target hostsim TELEPOST >/dev/null
if [ "$#" -eq 0 ]; then
  set -- examples/docomo.txt --hankaku on --emoji on --yes
fi
exec build/native/hostsim send "$@"
