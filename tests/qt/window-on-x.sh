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

# The platform is the X server's whatever the shell says (a headless
# machine often exports QT_QPA_PLATFORM=offscreen, which draws no window).
# The window is waited for, not polled a fixed number of times: a loaded
# machine may take long to start the program.
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$1/config" "$1/Cantorix" &
  pid=$!
  found=0
  if command -v xdotool >/dev/null 2>&1; then
    timeout 45 xdotool search --sync --name "^歌声・伴奏合成ツール\$" >/dev/null 2>&1 && found=1
  else
    deadline=$(( $(date +%s) + 45 ))
    while [ "$(date +%s)" -lt "$deadline" ]; do
      if xwininfo -root -tree 2>/dev/null | grep -q "\"歌声・伴奏合成ツール\""; then found=1; break; fi
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
  fi
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  [ "$found" = 1 ] || { echo "no window titled 歌声・伴奏合成ツール"; exit 1; }
  echo "window found"
' sh "$work"
