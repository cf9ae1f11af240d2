#!/usr/bin/env bash
# Builds the tool and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
tovik_install_deps

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVIK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

if [ ! -x "$build/app/tovikbt" ]; then
    echo "Built the libraries; the window is not there yet."
    exit 0
fi
exec "$build/app/tovikbt"
