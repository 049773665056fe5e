#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking TAVU needs.
# Idempotent and non-interactive: packages already present are left alone. Packages named
# as arguments are installed too (scripts/fuzz.sh adds clang and its fuzzer runtime).
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    nlohmann-json3-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libopenblas-dev liblapacke-dev libsuitesparse-dev
    libgmsh-dev python3-meshio
    poppler-utils xvfb xauth fonts-dejavu-core
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=""
    if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
    export DEBIAN_FRONTEND=noninteractive
    $sudo_cmd apt-get update -qq
    $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
