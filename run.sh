#!/usr/bin/env bash
# Builds Natalix (Release) and starts it. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
natalix_install_deps
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target natalix
exec ./build/release/natalix "$@"
