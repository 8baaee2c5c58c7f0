#!/usr/bin/env bash
# Builds Tresslin and runs it on the book given, or on the bundled sample book.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-run --target tresslin
if [ $# -eq 0 ]; then set -- samples/kniga-cp1251.txt; fi
exec ./build-run/src/tresslin "$@"
