// The phoneme files the singer writes for the diphone voices, from a vocal
// MIDI file of arbitrary bytes: every phrase of every voice makes a file the
// synthesizer reads whole (phones long enough, lines short enough, pitches
// it sings), with every neighbouring pair of phones one the voice holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "singer/CDiphoneTable.h"
#include "singer/CMbrolaSinger.h"
#include "singer/CPhoWriter.h"
#include "singer/CPhraseScore.h"
#include "singer/CVocalMidiReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const crx::CVocalMidiReader::Result r = crx::CVocalMidiReader::FromBytes({data, size});
  if (!r.error.empty()) return 0;
  for (crx::DiphoneVoice voice :
       {crx::DiphoneVoice::Jp1, crx::DiphoneVoice::Jp2, crx::DiphoneVoice::Jp3}) {
    std::vector<std::string> problems, unknown;
    const std::vector<crx::ScoreNote> notes =
        crx::CMbrolaSinger::Notes(r.sequence, voice, problems, unknown);
    for (auto [from, to] : crx::CMbrolaSinger::Phrases(notes)) {
      const crx::CPhraseScore score(voice, std::span(notes).subspan(from, to - from),
                                    crx::CMbrolaSinger::kSampleRate);
      if (!score.Unjoined().empty()) std::abort();
      std::string text, error;
      if (!crx::CPhoWriter::Write(score.PhoPhones(), text, error)) std::abort();
      for (size_t at = 0, nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1)
        if (nl + 1 - at > crx::CPhoWriter::kMaxLineBytes) std::abort();
    }
  }
  return 0;
}
