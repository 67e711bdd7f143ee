#include "workflow/Mp3Tagger.h"

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "audio/TemporaryFile.h"
#include "platform/UiServices.h"
#include "video/SongCredits.h"
#include "video/SyncedLyrics.h"
#include "workflow/OutsidePrograms.h"

namespace crx {
namespace {

constexpr std::string_view kId3Magic = "ID3";
constexpr unsigned char kFrameSync = 0xFF;
constexpr unsigned char kFrameSyncMask = 0xE0;

TagLib::String Utf8(std::string_view text) {
  return TagLib::String(std::string(text), TagLib::String::UTF8);
}

TagLib::ByteVector Language() {
  return TagLib::ByteVector(Mp3Tagger::kLyricsLanguage.data(),
                            static_cast<unsigned>(Mp3Tagger::kLyricsLanguage.size()));
}

// Replaces the text frame id with the text; an empty text only removes it.
void SetText(TagLib::ID3v2::Tag& tag, const char* id, const std::string& text) {
  tag.removeFrames(id);
  if (text.empty()) return;
  auto frame = std::make_unique<TagLib::ID3v2::TextIdentificationFrame>(TagLib::ByteVector(id),
                                                                        TagLib::String::UTF8);
  frame->setText(Utf8(text));
  tag.addFrame(frame.release());
}

void SetLyrics(TagLib::ID3v2::Tag& tag, const SyncedLyrics& lyrics) {
  tag.removeFrames("USLT");
  tag.removeFrames("SYLT");
  if (lyrics.Empty()) return;
  auto plain = std::make_unique<TagLib::ID3v2::UnsynchronizedLyricsFrame>(TagLib::String::UTF8);
  plain->setLanguage(Language());
  plain->setText(Utf8(lyrics.PlainText()));
  tag.addFrame(plain.release());

  auto timed = std::make_unique<TagLib::ID3v2::SynchronizedLyricsFrame>(TagLib::String::UTF8);
  timed->setLanguage(Language());
  timed->setTimestampFormat(TagLib::ID3v2::SynchronizedLyricsFrame::AbsoluteMilliseconds);
  timed->setType(TagLib::ID3v2::SynchronizedLyricsFrame::Lyrics);
  TagLib::ID3v2::SynchronizedLyricsFrame::SynchedTextList entries;
  for (const SyncedLyrics::Entry& e : lyrics.Entries()) {
    entries.append(TagLib::ID3v2::SynchronizedLyricsFrame::SynchedText(e.ms, Utf8(e.text)));
  }
  timed->setSynchedText(entries);
  tag.addFrame(timed.release());
}

void Tell(std::string_view message, const std::string& path) {
  Ui().ShowMessage(FillMessage(message, path), MessageKind::Plain);
}

}  // namespace

bool Mp3Tagger::IsMp3(const std::string& path) {
  std::array<unsigned char, 3> head{};
  {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!f || std::fread(head.data(), 1, head.size(), f.get()) != head.size()) return false;
  }
  const bool tagged = std::equal(kId3Magic.begin(), kId3Magic.end(), head.begin());
  const bool frame = head[0] == kFrameSync && (head[1] & kFrameSyncMask) == kFrameSyncMask;
  if (!tagged && !frame) return false;
  TagLib::MPEG::File file(path.c_str(), true, TagLib::AudioProperties::Fast);
  return file.isValid() && file.audioProperties() != nullptr &&
         file.audioProperties()->bitrate() > 0;
}

bool Mp3Tagger::Write(const std::string& mp3Path, const SongCredits& credits,
                      const SyncedLyrics& lyrics) {
  if (!IsMp3(mp3Path)) {
    Tell(kNotMp3Message, mp3Path);
    return false;
  }
  TemporaryFile copy(mp3Path);
  std::error_code error;
  if (!copy.Created() ||
      !std::filesystem::copy_file(mp3Path, copy.Path(),
                                  std::filesystem::copy_options::overwrite_existing, error)) {
    Tell(kTagFailedMessage, mp3Path);
    return false;
  }
  bool saved = false;
  {
    TagLib::MPEG::File file(copy.Path().c_str(), false);
    TagLib::ID3v2::Tag* tag = file.isValid() ? file.ID3v2Tag(true) : nullptr;
    if (tag != nullptr) {
      SetText(*tag, "TIT2", credits.title);
      SetText(*tag, "TPE1", credits.artist);
      SetText(*tag, "TEXT", credits.lyricist);
      SetText(*tag, "TCOM", credits.composer);
      SetText(*tag, "TDRC", credits.year);
      SetLyrics(*tag, lyrics);
      saved = file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4,
                        TagLib::File::DoNotDuplicate);
    }
  }
  if (!saved || !copy.Commit()) {
    Tell(kTagFailedMessage, mp3Path);
    return false;
  }
  return true;
}

}  // namespace crx
