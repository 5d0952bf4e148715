#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the aquarium need.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
    build-essential g++ cmake ninja-build pkg-config git ca-certificates \
    libgtest-dev libgmock-dev googletest libbenchmark-dev \
    libpng-dev libjpeg62-turbo-dev zlib1g-dev \
    libgl-dev libegl-dev libgles-dev libegl-mesa0 libgl1-mesa-dri libglx-mesa0 \
    libx11-dev libxtst-dev libxfixes-dev freeglut3-dev libopenal-dev libcurl4-openssl-dev libcpp-httplib-dev python3 \
    clang libclang-rt-14-dev clang-format gcovr \
    libgtk-3-dev xdotool \
    libfreetype-dev fonts-dejavu-core \
    xvfb xauth
