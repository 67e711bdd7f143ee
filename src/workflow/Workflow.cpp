#include "workflow/Workflow.h"

#include <utility>

#include "audio/MixSettings.h"
#include "audio/MixSong.h"
#include "foundation/Diagnostics.h"
#include "foundation/FileHelpers.h"
#include "foundation/FixedField.h"
#include "karaoke/XfKaraokeData.h"
#include "platform/Process.h"
#include "workflow/SongProducts.h"

namespace crx {
namespace {

std::string WithoutExtension(std::string path) {
  RemoveExtension(path);
  return path;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

Workflow::Workflow(OutsidePrograms programs, AppSettings& settings, std::string startFolder,
                   std::string workFolder, WorkflowUser& user)
    : programs_(std::move(programs)),
      settings_(settings),
      startFolder_(std::move(startFolder)),
      workFolder_(std::move(workFolder)),
      user_(user) {
  programs_.SetWatch({[this] { return Stopping(); },
                      [this](int pid) {
                        std::lock_guard lock(mutex_);
                        leftRunning_.push_back(pid);
                      },
                      [this](int percent) {
                        std::function<void(int)> listener;
                        {
                          std::lock_guard lock(mutex_);
                          listener = progressListener_;
                        }
                        if (listener) listener(percent);
                      }});
  vocaloid_.SetMelodyChannel(kMelodyChannel);
  vocaloid_.SetPauseLength(kDefaultPauseLength);
  machine_.SetAutomatic(settings_.mode != kManual);
}

Workflow::~Workflow() = default;

// ------------------------------------------------------------------ state

template <typename Change>
void Workflow::Transition(Change change) {
  std::function<void()> listener;
  {
    std::lock_guard lock(mutex_);
    change(machine_);
    listener = listener_;
  }
  if (listener) listener();
}

void Workflow::SetMode(int mode) {
  Transition([mode](StepMachine& m) { m.SetAutomatic(mode != kManual); });
}

StepMachine Workflow::Machine() const {
  std::lock_guard lock(mutex_);
  return machine_;
}

void Workflow::SetChangeListener(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

void Workflow::SetProgressListener(std::function<void(int percent)> listener) {
  std::lock_guard lock(mutex_);
  progressListener_ = std::move(listener);
}

std::optional<std::string> Workflow::Fitting(std::optional<std::string> path) {
  if (!path) return std::nullopt;
  if (FitsPathField(*path)) return path;
  ReportPathTooLong(*path);
  return std::nullopt;
}

// ------------------------------------------------------------ file names

std::string Workflow::SameFileNameMessage(const std::string& path) {
  return std::string(kMsgSameFileName) + "\n" + path;
}

std::string Workflow::VocalWavPathFor(const std::string& vocalMidiPath) const {
  return WithoutExtension(vocalMidiPath) + std::string(kWavEnding);
}

std::string Workflow::AccompanimentWavPathFor(const std::string& vocalMidiPath) const {
  // Not the song's own name, which the mix naturally takes.
  return JoinPath(GetFolderOfPath(vocalMidiPath),
                  WithoutExtension(GetFileNameOfPath(karaokeMidiPath_)) +
                      std::string(kAccompanimentSuffix) + std::string(kWavEnding));
}

std::string Workflow::TemporaryMidiPath() const {
  return WithoutExtension(karaokeMidiPath_) + std::string(kTemporaryMidiEnding);
}

std::string Workflow::EditedFile(Step step) const {
  switch (step) {
    case Step::Voice:
      return vocalWavPath_;
    case Step::Accompaniment:
      return accompanimentWavPath_;
    case Step::Mix:
      return mixWavPath_;
    default:
      return {};
  }
}

std::string Workflow::MadeFile(Step step) const {
  switch (step) {
    case Step::Load:
      return karaokeMidiPath_;
    case Step::VocalMidi:
      return vocalMidiPath_;
    case Step::Mp3:
      return mixWavPath_.empty() ? std::string()
                                 : WithoutExtension(mixWavPath_) + std::string(kMp3Ending);
    case Step::Video:
      return videoPath_;
    default:
      return EditedFile(step);
  }
}

// ------------------------------------------------------- the step parts

bool Workflow::LoadKaraokeMidi(const MelodyRangeChooser& choose) {
  crx::MelodyChannel melody;
  VocalPipeline::LoadKaraokeMidi(karaokeMidiPath_, givenMelodyChannel_, choose, song_, firstTempo_,
                                 transpose_, melody);
  if (song_ != nullptr) {
    // The channel the song names is sung, moved and left out of the
    // accompaniment.
    melodyChannel_ = melody.channel;
    melodyChannelNote_ = VocalPipeline::MelodyChannelText(melody);
    vocaloid_.SetMelodyChannel(melody.channel);
  }
  return song_ != nullptr;
}

bool Workflow::WriteVocalMidiFile() {
  if (!song_) return false;
  return VocalPipeline::WriteVocalMidi(vocaloid_, *song_, vocalMidiPath_) &&
         FileExists(vocalMidiPath_);
}

bool Workflow::EnsureVoiceProgram() {
  for (;;) {
    const std::string current = ReadFixedField(settings_.voiceProgramPath);
    if (!current.empty() && FileExists(current)) return true;
    ReportPlain(OutsidePrograms::kAskSingerMessage);
    const std::optional<std::string> chosen = user_.SingerProgram();
    if (!chosen) return false;
    StorePathField(settings_.voiceProgramPath, *chosen);
  }
}

bool Workflow::RenderVocalWav() {
  return programs_.RenderVocal(ReadFixedField(settings_.voiceProgramPath), karaokeMidiPath_,
                               vocalMidiPath_, vocalWavPath_, transpose_, voiceArguments_);
}

bool Workflow::RenderAccompanimentWav() {
  if (!song_) return false;
  const std::string temporary = TemporaryMidiPath();
  song_->MainTrack().DeleteChannel(melodyChannel_);
  song_->MainTrack().DeleteChannel(kRhythmChannel);
  if (!song_->Write(temporary)) {
    // The writer told why; nothing for the renderer to read.
    ReportPlain(FillMessage(OutsidePrograms::kMissingFileMessage, Quoted(accompanimentWavPath_)));
    RemoveFile(temporary);
    return false;
  }
  return programs_.RenderAccompaniment(temporary, accompanimentWavPath_);
}

void Workflow::RemoveFlaggedFiles() {
  const std::pair<int32_t, const std::string*> files[] = {
      {settings_.deleteVocalMidi, &vocalMidiPath_},
      {settings_.deleteVocalWav, &vocalWavPath_},
      {settings_.deleteAccompanimentWav, &accompanimentWavPath_},
      {settings_.deleteMixedWav, &mixWavPath_},
  };
  for (const auto& [flag, path] : files) {
    if (flag == 1 && !path->empty()) RemoveFile(*path);
  }
}

// ------------------------------------------------------------ stopping

void Workflow::StopProgramsLeftRunning() {
  std::vector<int> pids;
  {
    std::lock_guard lock(mutex_);
    pids.swap(leftRunning_);
  }
  for (int pid : pids) Process::StopGroup(pid);
}

std::string Workflow::Interrupt() {
  interrupted_ = true;
  StopProgramsLeftRunning();
  for (const std::string& path : unfinished_) RemoveFile(path);
  for (const std::string& path : intermediates_) RemoveFile(path);
  unfinished_.clear();
  intermediates_.clear();
  return {};
}

// ------------------------------------------------------------ manual steps

bool Workflow::RunStep(Step step) {
  if (!Machine().CanStart(step)) return false;
  stop_.store(false);
  interrupted_ = false;
  unfinished_.clear();
  intermediates_.clear();
  const bool done = RunManualStep(step);
  if (Stopping()) {
    Interrupt();
    if (Machine().Working()) Transition([step](StepMachine& m) { m.Failed(step); });
    return false;
  }
  return done;
}

bool Workflow::RunManualStep(Step step) {
  const auto begin = [&] { Transition([step](StepMachine& m) { m.Begin(step); }); };
  const auto end = [&](bool ok) {
    Transition([step, ok](StepMachine& m) { ok ? m.Succeeded(step) : m.Failed(step); });
    return ok;
  };
  switch (step) {
    case Step::Load: {
      const std::optional<std::string> path = Fitting(user_.KaraokeFile());
      if (!path) return false;
      begin();
      karaokeMidiPath_ = *path;
      // Without a song, steps 2, 3 and 5 have nothing to work on.
      return end(LoadKaraokeMidi([this](crx::MelodyRange& r) { return user_.MelodyRange(r); }));
    }
    case Step::Lyrics: {
      if (!song_) return false;
      begin();
      LyricsReview review{*song_, vocaloid_, melodyChannel_, startFolder_, melodyChannelNote_};
      user_.ReviewLyrics(review);
      return end(true);
    }
    case Step::VocalMidi: {
      if (!song_) return false;
      std::optional<std::string> path;
      for (;;) {
        path = Fitting(user_.VocalMidiPath());
        if (!path) return false;
        // The vocal WAV is named after the vocal MIDI and the accompaniment
        // WAV after the karaoke file, in one folder: equal names would
        // collide.
        if (GetFileNameOfPath(*path) != GetFileNameOfPath(karaokeMidiPath_)) break;
        ReportPlain(kMsgSameAsKaraokeName);
      }
      vocalMidiPath_ = *path;
      begin();
      // A vocal MIDI that could not be written: the writer told why, and
      // another file may be chosen.
      return end(WriteVocalMidiFile());
    }
    case Step::Voice: {
      begin();
      vocalWavPath_ = VocalWavPathFor(vocalMidiPath_);
      user_.BeforeSinger(vocalMidiPath_, vocalWavPath_, settings_.voiceProgramPath);
      return end(EnsureVoiceProgram() && RenderVocalWav());
    }
    case Step::Accompaniment: {
      if (!song_) return false;
      begin();
      accompanimentWavPath_ = AccompanimentWavPathFor(vocalMidiPath_);
      return end(RenderAccompanimentWav());
    }
    case Step::Mix: {
      const std::optional<std::string> mixPath = Fitting(user_.MixPath());
      if (!mixPath) return false;
      if (*mixPath == vocalWavPath_ || *mixPath == accompanimentWavPath_) {
        ReportPlain(SameFileNameMessage(*mixPath));
        return false;
      }
      begin();
      MixSettings values = MixSettings::From(settings_);
      user_.MixValues(vocalWavPath_, accompanimentWavPath_, *mixPath, values);
      values.StoreIn(settings_);
      // A mix that failed leaves its inputs for another try.
      if (!MixSong(vocalWavPath_, accompanimentWavPath_, *mixPath, values,
                   static_cast<uint32_t>(firstTempo_),
                   ReadFixedField(settings_.voiceProgramPath))) {
        return end(false);
      }
      mixWavPath_ = *mixPath;
      return end(true);
    }
    case Step::Mp3: {
      if (!user_.WantMp3(settings_.mp3EncoderPath)) return end(true);
      begin();
      const std::string mp3Path = MadeFile(Step::Mp3);
      const SongProducts products(programs_, settings_.loudness);
      return end(products.MakeMp3(ReadFixedField(settings_.mp3EncoderPath), mixWavPath_, mp3Path,
                                  karaokeMidiPath_));
    }
    case Step::Video: {
      begin();
      videoPath_ = WithoutExtension(mixWavPath_) + std::string(kVideoEnding);
      const std::string songInfo =
          user_.VideoTexts({mixWavPath_, karaokeMidiPath_, videoPath_, workFolder_,
                            settings_.videoBackgroundPath, song_.get()});
      const SongProducts products(programs_, settings_.loudness);
      return end(products.MakeVideo(mixWavPath_, karaokeMidiPath_, videoPath_,
                                    ReadFixedField(settings_.videoBackgroundPath), songInfo,
                                    OutsidePrograms::VideoCheck::AtOnce));
    }
    case Step::Remove: {
      std::array<int32_t, 4> flags = {settings_.deleteVocalMidi, settings_.deleteVocalWav,
                                      settings_.deleteAccompanimentWav, settings_.deleteMixedWav};
      user_.FilesToRemove({vocalMidiPath_, vocalWavPath_, accompanimentWavPath_, mixWavPath_},
                          flags);
      settings_.deleteVocalMidi = flags[0];
      settings_.deleteVocalWav = flags[1];
      settings_.deleteAccompanimentWav = flags[2];
      settings_.deleteMixedWav = flags[3];
      RemoveFlaggedFiles();
      return end(true);
    }
  }
  return false;
}

// -------------------------------------------------------- automatic run

std::string Workflow::FinishAutomatic(std::string product) {
  Transition([](StepMachine& m) { m.EndAutomaticRun(); });
  unfinished_.clear();
  intermediates_.clear();
  return product;
}

std::string Workflow::RunAutomatic() {
  if (!Machine().CanRunAutomatically()) return {};
  stop_.store(false);
  interrupted_ = false;
  unfinished_.clear();
  intermediates_.clear();
  const auto announce = [this](Step step) {
    if (onStep_) onStep_(step);
  };
  const int mode = settings_.mode;

  if (!EnsureVoiceProgram()) return FinishAutomatic();
  const std::optional<std::string> karaoke = Fitting(user_.KaraokeFile());
  if (!karaoke) return FinishAutomatic();
  karaokeMidiPath_ = *karaoke;
  announce(Step::Load);
  // The load has told what went wrong; without a song nothing is written.
  if (!LoadKaraokeMidi([this](crx::MelodyRange& r) { return user_.MelodyRange(r); })) {
    return FinishAutomatic();
  }
  if (Stopping()) return FinishAutomatic(Interrupt());

  const std::string folder = GetFolderOfPath(*karaoke);
  vocalMidiPath_ = JoinPath(folder, kVocalMidiName);
  accompanimentWavPath_ = JoinPath(GetFolderOfPath(vocalMidiPath_), kAccompanimentName);
  const std::string mixPath = WithoutExtension(*karaoke) + std::string(kWavEnding);
  // This run's vocal WAV is the folder's out.wav, named only after the
  // singer ends: compare with it, not with an earlier run's.
  const std::string vocalWav = VocalWavPathFor(vocalMidiPath_);
  if (mixPath == vocalWav || mixPath == accompanimentWavPath_) {
    ReportPlain(SameFileNameMessage(mixPath));
    return FinishAutomatic();
  }
  Transition([](StepMachine& m) { m.BeginAutomaticRun(); });
  intermediates_ = {vocalMidiPath_, vocalWav, accompanimentWavPath_, TemporaryMidiPath()};

  announce(Step::Lyrics);
  std::vector<std::string> reviewLines;
  VocalPipeline::ConvertLyrics(*song_, vocaloid_, melodyChannel_, startFolder_, reviewLines);
  if (Stopping()) return FinishAutomatic(Interrupt());

  announce(Step::VocalMidi);
  if (!WriteVocalMidiFile()) return FinishAutomatic();
  if (Stopping()) return FinishAutomatic(Interrupt());

  announce(Step::Voice);
  vocalWavPath_ = vocalWav;
  if (!RenderVocalWav()) return FinishAutomatic(Stopping() ? Interrupt() : std::string());
  if (Stopping()) return FinishAutomatic(Interrupt());

  announce(Step::Accompaniment);
  if (!RenderAccompanimentWav()) return FinishAutomatic(Stopping() ? Interrupt() : std::string());
  if (Stopping()) return FinishAutomatic(Interrupt());

  announce(Step::Mix);
  if (!MixSong(vocalWavPath_, accompanimentWavPath_, mixPath, MixSettings::From(settings_),
               static_cast<uint32_t>(firstTempo_), ReadFixedField(settings_.voiceProgramPath))) {
    return FinishAutomatic();
  }
  mixWavPath_ = mixPath;
  std::string product = mixPath;
  if (Stopping()) return FinishAutomatic(Interrupt());

  SongProducts products(programs_, settings_.loudness);
  products.SetGivenCredits(given_);
  const auto leftRunning = [this] {
    std::lock_guard lock(mutex_);
    return leftRunning_.size();
  };
  if (mode == kMp3) {
    announce(Step::Mp3);
    product = WithoutExtension(mixPath) + std::string(kMp3Ending);
    const size_t before = leftRunning();
    const bool made =
        products.MakeMp3(ReadFixedField(settings_.mp3EncoderPath), mixPath, product, *karaoke);
    // An encoder still writing: its MP3 is whole only once it ends.
    if (leftRunning() != before) unfinished_.push_back(product);
    if (Stopping()) return FinishAutomatic(Interrupt());
    if (!made) return FinishAutomatic();
  } else if (mode == kVideo) {
    announce(Step::Video);
    videoPath_ = WithoutExtension(mixPath) + std::string(kVideoEnding);
    product = videoPath_;
    const std::string songInfo = user_.VideoTexts(
        {mixPath, *karaoke, videoPath_, workFolder_, settings_.videoBackgroundPath, song_.get()});
    const size_t before = leftRunning();
    const bool made = products.MakeVideo(mixPath, *karaoke, videoPath_,
                                         ReadFixedField(settings_.videoBackgroundPath), songInfo,
                                         OutsidePrograms::VideoCheck::Repeated);
    if (leftRunning() != before) unfinished_.push_back(product);
    if (Stopping()) return FinishAutomatic(Interrupt());
    if (!made) return FinishAutomatic();
  }

  announce(Step::Remove);
  RemoveFlaggedFiles();
  return FinishAutomatic(FileExists(product) ? product : std::string());
}

}  // namespace crx
