#!/usr/bin/env bash
# Regenerates data/sample_catalog.tsv, the sample catalog compiled into tovikbt-index.
# The generator is deterministic: the same program, count and seed give the same file.
#   usage: service/make_sample_catalog.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: $0 BUILD_DIR}
cmake --build "$build" --target tovikbt-index
"$build/service/tovikbt-index" --generate 300 --seed 2024 >"$here/data/sample_catalog.tsv"
