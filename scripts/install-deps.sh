#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only when one is missing.
# Runs apt-get directly as root, through sudo otherwise.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libgl-dev
    libzip-dev
    googletest libgtest-dev libgmock-dev
    clang-format
    xvfb xauth
    attr
    file
    # The zip tests read every archive back with readers independent of ours: python3's
    # zipfile, and 7z for the AES-encrypted ones.
    python3 p7zip-full
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
else
    SUDO=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
