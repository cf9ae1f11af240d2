#!/usr/bin/env bash
# Builds everything and runs every test.
#   TOVIK_SANITIZE=address,undefined  build with sanitizers (own build folder)
#   TOVIK_WERROR=ON                   warnings are errors (CI)
#   TOVIK_TEST_LABEL=threaded         run only the tests with that label
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
tovik_install_deps

sanitize=${TOVIK_SANITIZE:-}
build=build/test${sanitize:+-${sanitize//,/-}}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTOVIK_SANITIZE="$sanitize" -DTOVIK_WERROR="${TOVIK_WERROR:-OFF}" \
    -DTOVIK_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
label=()
[ -n "${TOVIK_TEST_LABEL:-}" ] && label=(-L "$TOVIK_TEST_LABEL")
ctest --test-dir "$build" --output-on-failure --timeout 300 "${label[@]}"
