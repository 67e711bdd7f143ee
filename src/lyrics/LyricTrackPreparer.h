#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace crx {

class MidiTrackData;
class XfKaraokeData;

// What the preparation of a lyric track did, for the review.
struct PreparedLyrics {
  int labels = 0;        // lyrics of a part that is not sung (labels, spoken words)
  int displayOnly = 0;   // spaces, controls, remarks and placeholders that sing nothing
  int moved = 0;         // sung lyrics moved onto their notes
  int unmatched = 0;     // sung lyrics with no note within a sixteenth
  bool changed = false;  // the track was rewritten
};

struct LyricPreparationOptions {
  // Lyrics of the chorus part ("&c") are sung.
  bool singChorus = true;
};

// Brings the lyric track of a karaoke file as real files write it into the
// form the kana passes read: one lyric event per sung piece, standing on the
// tick of its melody note, a line-break mark "/" of its own at the tick of
// the line's first lyric and a "<" in front of a page's first lyric. Lyrics
// of parts that are not sung, display spaces, indents, remarks, placeholders
// and the other display controls go; ruby readings that the kana passes
// cannot take as they stand are written out. A track already in that form is
// left as it is, byte for byte, so preparing twice changes nothing.
class LyricTrackPreparer {
 public:
  // A lyric belongs to a melody note that starts within this share of a
  // quarter note before or after it: a sixteenth.
  static constexpr int kToleranceDivisor = 4;

  static PreparedLyrics Prepare(XfKaraokeData& song, int melodyChannel,
                                const LyricPreparationOptions& options = {});

  // The note each lyric belongs to (an index into noteTicks, or -1): as many
  // lyrics as can be matched to a note within tolerance ticks, each note to
  // one lyric at most, the order of both kept; of the matchings with most
  // pairs, the one with the least distance in all. Both lists are sorted.
  // The ticks where the channel's notes start, each once, in order.
  static std::vector<int64_t> NoteStarts(const MidiTrackData& main, int channel);

  static std::vector<int> Align(const std::vector<int64_t>& lyricTicks,
                                const std::vector<int64_t>& noteTicks, int64_t tolerance);
};

}  // namespace crx
