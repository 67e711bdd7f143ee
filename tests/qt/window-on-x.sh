#!/bin/sh
# Starts the real Cantorix without arguments on a virtual X server and finds
# its window by its title; without a display it must say so and exit 1.
# Usage: window-on-x.sh START_FOLDER
set -u
start_folder=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A start folder of its own, with a stand-in singer so that the start-up
# asks for nothing.
cp "$start_folder/Cantorix" "$start_folder"/*.csv "$work/"
printf '#!/bin/sh\nexit 0\n' > "$work/CantorixSinger"
chmod +x "$work/CantorixSinger"
mkdir "$work/config"

out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work/config" \
  "$work/Cantorix" 2>&1)
code=$?
if [ "$code" -ne 1 ] || ! printf '%s' "$out" | grep -q 'no display'; then
  echo "without a display: exit $code, said: $out"
  exit 1
fi

xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  XDG_CONFIG_HOME="$1/config" "$1/Cantorix" &
  pid=$!
  found=0
  for i in $(seq 1 200); do
    if xwininfo -root -tree 2>/dev/null | grep -q "\"歌声・伴奏合成ツール\""; then found=1; break; fi
    sleep 0.05
  done
  kill "$pid"; wait "$pid" 2>/dev/null
  [ "$found" = 1 ] || { echo "no window titled 歌声・伴奏合成ツール"; exit 1; }
  echo "window found"
' sh "$work"
