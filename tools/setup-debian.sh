#!/usr/bin/env bash
# Installs everything the build, the tests and the tools need on a fresh
# Debian 12 machine. Run as root (or through sudo).
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
    exec sudo "$0" "$@"
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# The framework package recommends a third-party set of VST2 definitions; we
# carry our own, so recommends stay out. llvm brings llvm-symbolizer, which the
# fuzzer's and the sanitizers' reports need for file and line numbers.
apt-get install -y -qq --no-install-recommends \
    build-essential cmake pkg-config git \
    juce-modules-source \
    libfreetype-dev libx11-dev libxext-dev libxinerama-dev libxrandr-dev libxcursor-dev \
    libflac-dev libvorbis-dev libogg-dev libsndfile1-dev \
    libgtest-dev libgmock-dev libbenchmark-dev \
    clang libclang-rt-14-dev llvm valgrind \
    xvfb xauth x11-apps imagemagick fonts-dejavu-core \
    python3 ardour > /dev/null
echo "setup: packages installed"
