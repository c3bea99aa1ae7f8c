#!/usr/bin/env bash
# Installs what is missing, builds, and starts the application.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

./scripts/install-deps.sh
cmake -S . -B build
cmake --build build -j"$(nproc)" --target Quorvel02
exec ./build/Quorvel02 "$@"
