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
  xvfb xauth x11-utils appstream desktop-file-utils
