#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
# Sourced by run.sh and test.sh; safe to run again.
set -euo pipefail

TOVIK_PACKAGES=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev libcurl4-openssl-dev libpcre2-dev
    libcpp-httplib-dev libsqlite3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-wqy-microhei
)

tovik_install_deps() {
    local missing=()
    for p in "${TOVIK_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}
