#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace crx::songinfo {

// The song-information file "song_info.lrd" that the video maker reads and
// writes. All numbers are little-endian. The newest layout is 121,880 bytes;
// four older, shorter layouts are read too.

inline constexpr char kFileName[] = "song_info.lrd";

// Grid capacities.
inline constexpr size_t kBeatEntries = 1024;    // chord grid: one entry per beat
inline constexpr size_t kMelodyEntries = 2048;  // melody grid: one entry per half beat
inline constexpr size_t kSubPositions = 3;      // values per melody entry
inline constexpr size_t kChordNameSize = 8;     // zero-terminated CP932
inline constexpr size_t kSlotTextSize = 8;      // text slot of a melody sub-position

// Entry sizes of the newest layout and of the oldest ones.
inline constexpr size_t kChordEntrySize = 2 * kChordNameSize;  // 16: two halves of a beat
inline constexpr size_t kOldChordEntrySize = kChordNameSize;   // 8: one chord per beat
inline constexpr size_t kMelodyEntrySize = kSubPositions * 4 + kSubPositions * kSlotTextSize;  // 36
inline constexpr size_t kOldMelodyEntrySize = 4 + kSlotTextSize;                               // 12

// The newest layout.
inline constexpr size_t kChordGridOffset = 0;
inline constexpr size_t kChordGridSize = kBeatEntries * kChordEntrySize;  // 16,384
inline constexpr size_t kMelodyGridOffset = kChordGridOffset + kChordGridSize;
inline constexpr size_t kMelodyGridSize = kMelodyEntries * kMelodyEntrySize;     // 73,728
inline constexpr size_t kTextBlockOffset = kMelodyGridOffset + kMelodyGridSize;  // 90,112
inline constexpr size_t kTextBlockSize = 320;
inline constexpr size_t kHeaderOffset = kTextBlockOffset + kTextBlockSize;  // 90,432
inline constexpr size_t kHeaderSize = 12;
// Within the 12 header bytes.
inline constexpr size_t kHeaderMeasures = 0;     // int32
inline constexpr size_t kHeaderBeats = 4;        // int16: beats per measure
inline constexpr size_t kHeaderSecondValue = 6;  // int16: second time-signature value
inline constexpr size_t kHeaderKeyIndex = 8;     // int32: index into the key table
inline constexpr size_t kLyricsOffset = kHeaderOffset + kHeaderSize;  // 90,444
inline constexpr size_t kLyricsSize = 2048;
inline constexpr size_t kBeatArrayAOffset = kLyricsOffset + kLyricsSize;          // 92,492
inline constexpr size_t kBeatArrayBOffset = kBeatArrayAOffset + kBeatEntries;     // 93,516
inline constexpr size_t kCarriedBlock1Offset = kBeatArrayBOffset + kBeatEntries;  // 94,540
inline constexpr size_t kCarriedBlock1Size = 512;
inline constexpr size_t kCarriedBlock2Offset = kCarriedBlock1Offset + kCarriedBlock1Size;  // 95,052
inline constexpr size_t kCarriedBlock2Size = 4096;
inline constexpr size_t kCarriedBlock3Offset = kCarriedBlock2Offset + kCarriedBlock2Size;  // 99,148
inline constexpr size_t kCarriedBlock3Size = 22732;
inline constexpr size_t kCarriedSize = kCarriedBlock1Size + kCarriedBlock2Size + kCarriedBlock3Size;
inline constexpr size_t kFileSize = kCarriedBlock3Offset + kCarriedBlock3Size;  // 121,880
static_assert(kFileSize == 121880);

// The sizes of the older layouts, and where the newest one's carried blocks
// start to be read.
inline constexpr size_t kSizeOldest =
    kBeatEntries * kOldChordEntrySize + kMelodyEntries * kOldMelodyEntrySize + kHeaderSize;
inline constexpr size_t kSizeOldGrid =
    kBeatEntries * kOldChordEntrySize + kMelodyGridSize + kHeaderSize;
inline constexpr size_t kSizeWithTextBlock = kLyricsOffset;
inline constexpr size_t kSizeWithLyrics = kBeatArrayAOffset;
inline constexpr size_t kSizeWithBeatArrays = kCarriedBlock1Offset;
inline constexpr size_t kSizeWithCarriedBlocks = 99208;
static_assert(kSizeOldest == 32780 && kSizeOldGrid == 81932 && kSizeWithTextBlock == 90444 &&
              kSizeWithLyrics == 92492 && kSizeWithBeatArrays == 94540);

// A text field of the 320-byte text block.
struct TextField {
  size_t offset;
  size_t size;
};
inline constexpr TextField kComposer{0, 33};
inline constexpr TextField kText33{33, 31};
inline constexpr TextField kLyricist{64, 33};
inline constexpr TextField kText97{97, 95};
inline constexpr TextField kText232{232, 24};
inline constexpr TextField kTitle{256, 33};
inline constexpr TextField kText289{289, 31};
// int32 values of the text block.
inline constexpr size_t kValue192 = 192;
inline constexpr size_t kValue196 = 196;
inline constexpr size_t kTempo = 200;  // quarter notes per minute
inline constexpr size_t kValue204 = 204;
inline constexpr size_t kValue212 = 212;

// The texts the dialog sets hold at most 32 bytes plus the terminator.
inline constexpr size_t kShortTextMax = 32;

// Extra texts kept in the grid's text slots.
inline constexpr size_t kExtraTexts = 12;
inline constexpr size_t kExtraTextCapacity = 2048;  // with its terminator
inline constexpr size_t kUntrimmedExtraText = 6;    // the seventh keeps its trailing spaces

// Melody grid markers.
inline constexpr int32_t kMarkerMeasureStart = -1;
inline constexpr int32_t kMarkerOther = -2;
inline constexpr int32_t kMarkerThird = -3;

// Defaults and repairs.
inline constexpr int32_t kDefaultTempo = 120;
inline constexpr int32_t kRepairedTempo = 80;
inline constexpr int32_t kMinTempo = 40;
inline constexpr int32_t kMaxTempo = 240;
inline constexpr uint32_t kFreedMemoryPattern = 0xFEEEFEEE;
inline constexpr uint8_t kUnsetLyricistByte = 0xDD;
inline constexpr uint8_t kUnsetTextByte1 = 0xCC;
inline constexpr uint8_t kUnsetTextByte2 = 0xCD;
inline constexpr int kMinBeats = 1;
inline constexpr int kMaxBeats = 8;
inline constexpr int kFallbackBeats = 4;
inline constexpr int kFallbackMeasures = 4;

// Key index -> key name.
inline constexpr std::array<const char*, 30> kKeyNames = {
    "C",   "G",   "D",   "A",  "E",  "B",  "F#", "C#",  "F",   "Bb",
    "Eb",  "Ab",  "Db",  "Gb", "Cb", "Am", "Em", "Bm",  "F#m", "C#m",
    "G#m", "D#m", "A#m", "Dm", "Gm", "Cm", "Fm", "Bbm", "Ebm", "Abm"};

inline constexpr char kEmptyBeatChord[] = "----";

}  // namespace crx::songinfo
