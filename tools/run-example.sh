#!/bin/sh
# The main job on the bundled example song, on a fresh Debian 12 machine, as
# root: installs what it needs, builds, and runs the automatic run on the
# song: the voice of CantorixSinger, the accompaniment of TunepressCRX, the
# mix, the MP3, then the karaoke video of Lyricreel.
set -e
cd "$(dirname "$0")/.."
if [ "${CRX_SKIP_DEPS:-0}" != "1" ]; then
  sh tools/install-deps.sh
fi
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCRX_TESTS=OFF -DCRX_BENCH=OFF
cmake --build build -j"$jobs"
./build/bin/Cantorix --version

out=build/example
rm -rf "$out"
mkdir -p "$out"
cp examples/furusato.mid "$out/"
# This run keeps its settings beside its files; the user's stay untouched.
XDG_CONFIG_HOME="$PWD/$out/config"
export XDG_CONFIG_HOME
./build/bin/Cantorix auto --mode mp3 "$out/furusato.mid"
./build/bin/Cantorix auto --mode wmv "$out/furusato.mid"
ls -l "$out/furusato.wav" "$out/furusato.mp3" "$out/furusato.wmv"
