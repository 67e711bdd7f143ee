#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

class MidiTrackData;
class XfKaraokeData;

// One lyric that step 2 asks about, with what it proposes for it.
struct LyricCorrectionItem {
  int event = 0;            // index in the lyric track
  std::string written;      // the event's text as the file has it (CP932)
  std::string marksBefore;  // line and page marks in front of the lyric
  std::string lyric;        // the text between the marks: what is corrected
  std::string marksAfter;   // line marks after it
  // What accepting the proposal leaves in the event: the particles of the
  // line as sung, else the text as written, which the conversion then reads.
  std::string proposed;
  // The kana the conversion sings for the lyric, shown to the user; the
  // proposal's lyric until ProposeReadings has run (CP932).
  std::string reading;
};

// The corrections of step 2: the lyrics that are not plain kana or hold
// "は" or "へ" (line and page marks are never asked about), the reading the
// conversion proposes for each, and the edits applied to the lyric track.
// Shows nothing: the application asks the user.
class CLyricCorrection {
 public:
  static constexpr size_t kContextBytes = 16;

  // particlesAsSung: a particle は or へ of the line is proposed as sung
  // (わ, え); without it every lyric is proposed as written.
  explicit CLyricCorrection(MidiTrackData& lyricTrack, bool particlesAsSung = true);

  const std::vector<LyricCorrectionItem>& Items() const { return items_; }

  // Fills every item's reading from a conversion of a copy of the song with
  // every proposal accepted (the particles read as the constructor was
  // told): what the automatic run sings. The song stays
  // as it is; what that conversion reports is dropped (the review of step 2
  // converts again and reports it).
  void ProposeReadings(const XfKaraokeData& song, int melodyChannel,
                       const std::string& dictionaryFolder);

  // The text sung just before the item, as the track stands now (earlier
  // corrections included): the last 16 bytes of the lyrics before it, cut
  // on a character boundary, followed by the item as written.
  std::string ContextOf(size_t item) const;

  // The item's event takes the edited lyric, between its marks; an empty
  // lyric or the lyric as written leaves the event as it is.
  void Apply(size_t item, std::string_view cp932Lyric);
  // The item's event takes its proposal.
  void AcceptProposal(size_t item);
  // The item keeps its text as written.
  void KeepWritten(size_t item);

  // The pass without asking: every lyric takes its proposal. Returns the
  // number of items.
  static int AcceptAll(MidiTrackData& lyricTrack, bool particlesAsSung = true);
  static int AcceptAll(XfKaraokeData& song, bool particlesAsSung = true);

  // Plain kana: the 80 katakana and 80 hiragana of the syllable table and
  // "ー", nothing else (CP932).
  static bool IsPlainKana(std::string_view cp932);
  // The lyric needs asking: its text without marks is not plain kana, or it
  // holds a "は"/"へ" anywhere. A text of marks only is never asked about.
  static bool NeedsCorrection(std::string_view cp932);
  // Splits a lyric text into its leading marks ("/", "<", ">"), the lyric
  // and its trailing "/" marks.
  static void SplitMarks(std::string_view cp932, std::string& before, std::string& lyric,
                         std::string& after);

 private:
  void Rewrite(size_t item, const std::string& text);

  MidiTrackData& track_;
  bool particlesAsSung_;
  std::vector<LyricCorrectionItem> items_;
};

}  // namespace crx
