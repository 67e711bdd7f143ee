#!/bin/sh
# Installs the Debian packages that building, running and testing need.
set -e
if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps.sh: run as root" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y --no-install-recommends \
  cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev \
  libfluidsynth-dev timgm6mb-soundfont libmecab-dev mecab-ipadic-utf8 edict \
  fonts-ipafont-gothic clang-14 libclang-rt-14-dev clang-format \
  lame ffmpeg midicsv python3 python3-mido sox \
  jcadencii default-jre-headless fluidsynth libebur128-dev \
  libespeak-ng-dev libsoxr-dev praat libtag1-dev \
  tesseract-ocr tesseract-ocr-jpn imagemagick \
  xvfb xauth x11-utils appstream desktop-file-utils \
  qt6-translations-l10n xdotool xdg-utils

# The natural singing voices: the mbrola program (Debian "contrib") and its
# Japanese diphone voices (Debian "non-free"), which a fresh Debian does not
# enable. CRX_NO_NONFREE=1 leaves them out; the singer then uses espeak-ng.
if [ "${CRX_NO_NONFREE:-0}" = "1" ]; then
  echo "install-deps.sh: CRX_NO_NONFREE=1: the mbrola voices are not installed; the singer uses espeak-ng" >&2
else
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  sources=/etc/apt/sources.list.d/cantorix-nonfree.sources
  if [ ! -f "$sources" ]; then
    echo "install-deps.sh: enabling Debian's contrib and non-free sections in $sources" >&2
    echo "  for mbrola and its Japanese voices mbrola-jp1, mbrola-jp2, mbrola-jp3." >&2
    echo "  Their licence: free of charge, for use only with the mbrola program, not to be sold." >&2
    cat >"$sources.tmp" <<SOURCES
Types: deb
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: contrib non-free
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    mv "$sources.tmp" "$sources"
  fi
  apt-get update -qq
  apt-get install -y --no-install-recommends mbrola mbrola-jp1 mbrola-jp2 mbrola-jp3
fi
