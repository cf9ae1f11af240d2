#!/usr/bin/env bash
# Builds the tool and starts it. It opens a window, so it needs a desktop session.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display: tovikbt is a desktop window and needs an X11 or Wayland session" >&2
    echo "(neither DISPLAY nor WAYLAND_DISPLAY is set). Run this from a desktop terminal." >&2
    exit 1
fi

. scripts/deps.sh
tovik_install_deps xdg-utils  # opens the start-up page in the default browser

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVIK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

if [ ! -x "$build/app/tovikbt" ]; then
    echo "The build did not produce $build/app/tovikbt." >&2
    exit 1
fi

# The local index service the tool is built against; it stops when the window closes.
svc_pid=
if [ -x "$build/service/tovikbt-index" ]; then
    "$build/service/tovikbt-index" &
    svc_pid=$!
    trap 'kill "$svc_pid" 2>/dev/null; wait "$svc_pid" 2>/dev/null || true' EXIT
    # Wait until it answers; if it exits at once the port is taken, most likely by an
    # instance that is already running, and the tool uses that one.
    for _ in $(seq 100); do
        (exec 3<>/dev/tcp/127.0.0.1/18089) 2>/dev/null && break
        kill -0 "$svc_pid" 2>/dev/null || break
        sleep 0.1
    done
fi

"$build/app/tovikbt"
