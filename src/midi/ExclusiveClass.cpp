#include "midi/ExclusiveClass.h"

#include <array>
#include <cstdint>
#include <initializer_list>

namespace crx {

namespace {

// Byte positions counted from the 0xF0.
constexpr int kIdPos = 2;
constexpr int kAddressMid = 7;  // GS address, middle byte / universal value
constexpr int kAddressLow = 8;  // GS address, low byte / universal end
constexpr int kGsValuePos = 9;
constexpr uint8_t kEox = 0xF7;

// The data byte at a position, -1 beyond the data length.
int At(const MidiEvent& ev, int pos) {
  return pos < ev.DataLength() ? ev.Buffer()[static_cast<size_t>(pos)] : -1;
}

bool Matches(const MidiEvent& ev, int from, std::initializer_list<int> bytes) {
  int pos = from;
  for (int b : bytes) {
    if (At(ev, pos++) != b) return false;
  }
  return true;
}

int Value(const MidiEvent& ev, int pos) {
  int v = At(ev, pos);
  return v < 0 ? 0 : v;
}

// GS system parameters at 40 01 xx.
int GsPatchParameter(int low) {
  if (low >= 0x30 && low <= 0x35) return 20 + (low - 0x30);
  if (low >= 0x37 && low <= 0x40) return 32 + (low - 0x37);
  if (low >= 0x50 && low <= 0x59) return 48 + (low - 0x50);
  if (low == 0x5A) return 64;
  return kExclusiveNone;
}

// GS part number (block nibble) to MIDI channel: part 10 is the rhythm part.
int GsPartChannel(int block) {
  int part = block & 0x0F;
  if (part == 0) return 9;
  if (part <= 9) return part - 1;
  return part;
}

// A GS parameter at 40 mid low: master volume, patch and part parameters.
void ClassifyGsParameter(MidiEvent& ev) {
  int mid = At(ev, kAddressMid);
  int low = At(ev, kAddressLow);
  if (mid == 0x00 && low == 0x04) {
    ev.subtype = kExclusiveMasterVolume;
    ev.value = Value(ev, kGsValuePos);
    return;
  }
  if (mid == 0x01) {
    int sub = GsPatchParameter(low);
    if (sub != kExclusiveNone) {
      ev.subtype = sub;
      ev.value = Value(ev, kGsValuePos);
    }
    return;
  }
  if (mid == 0x02 && low >= 0x00 && low <= 0x03) {
    ev.subtype = 65 + low;
    ev.value = Value(ev, kGsValuePos);
    return;
  }
  if (mid >= 0x10 && mid <= 0x1F) {
    ev.value = Value(ev, kGsValuePos);
    if (low == 0x15) {
      ev.subtype = kExclusiveGsDrumPart;
      ev.channel = GsPartChannel(mid);
    }
    return;
  }
  if (mid >= 0x40 && mid <= 0x4F) {
    ev.value = Value(ev, kGsValuePos);
    if (low == 0x20) {
      ev.subtype = kExclusiveGsScaleTuning;
      ev.channel = GsPartChannel(mid);
    }
    return;
  }
}

}  // namespace

void ClassifyExclusive(MidiEvent& ev) {
  ev.subtype = kExclusiveNone;
  if (Matches(ev, kIdPos, {0x7F, 0x7F, 0x04, 0x01}) && At(ev, kAddressLow) == kEox) {
    ev.subtype = kExclusiveMasterVolume;
    ev.value = Value(ev, kAddressMid);
    return;
  }
  if (Matches(ev, kIdPos, {0x7F, 0x7F, 0x04, 0x02}) && At(ev, kAddressLow) == kEox) {
    ev.subtype = kExclusiveMasterBalance;
    ev.value = Value(ev, kAddressMid);
    return;
  }
  if (Matches(ev, kIdPos, {0x41, 0x10, 0x42, 0x12, 0x40})) {
    ClassifyGsParameter(ev);
    return;
  }
  if (Matches(ev, kIdPos, {0x41, 0x10, 0x42, 0x12, 0x00, 0x00, 0x7F})) {
    ev.subtype = kExclusiveGsReset;
    return;
  }
  if (Matches(ev, kIdPos, {0x43, 0x79, 0x06, 0x7F}) && At(ev, kAddressLow) == kEox) {
    ev.subtype = kExclusiveLargeBlock;
    return;
  }
  if (Matches(ev, kIdPos, {0x7E, 0x7F, 0x09, 0x01, kEox})) {
    ev.subtype = kExclusiveGmOn;
    return;
  }
}

MidiEvent MakeFullMasterVolume() {
  MidiEvent ev;
  ev.kind = MidiKind::SysEx;
  ev.SetData(kFullMasterVolumeMessage);
  ClassifyExclusive(ev);
  return ev;
}

}  // namespace crx
