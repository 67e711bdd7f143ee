#!/bin/sh
# The main job on the bundled example song, on a fresh Debian 12 machine, as
# root: installs what it needs, builds, and runs the program on the song.
set -e
cd "$(dirname "$0")/.."
if [ "${CRX_SKIP_DEPS:-0}" != "1" ]; then
  sh tools/install-deps.sh
fi
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCRX_TESTS=OFF -DCRX_BENCH=OFF
cmake --build build -j"$jobs"
./build/bin/Cantorix --version
./build/bin/TunepressCRX --version
# Steps 1 to 3 on the bundled song: its lyrics as kana, and the vocal MIDI
# that a singing editor imports.
./build/bin/Cantorix convert -o build/furusato-vocal.mid "examples/furusato.mid"
ls -l build/furusato-vocal.mid
