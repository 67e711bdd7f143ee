#pragma once

#include <cstdint>

#include "foundation/ModuleReporter.h"

namespace crx {

// Message codes of the MIDI library. MDTK: track data; M0DT: a format 0
// image; M1DT: a format 1 file; MDEV: a single event; MUEV: event data.
inline constexpr uint32_t kMdtkInternal = 0x0D000001;        // wrong form, data past the end
inline constexpr uint32_t kMdtkUndefinedEvent = 0x0D000002;  // no status, unknown kind
inline constexpr uint32_t kMdtkBadChannel = 0x0D000003;
inline constexpr uint32_t kMdtkBadTempo = 0x0D000005;
inline constexpr uint32_t kMdtkTooManyEvents = 0x0D000006;
inline constexpr uint32_t kMdtkBadChunkId = 0x0D000007;
inline constexpr uint32_t kMdtkEventTooLarge = 0x0D00000B;  // once per chunk reading
inline constexpr uint32_t kMdtkBadProgram = 0x0D00000C;
inline constexpr uint32_t kMdtkMultipleMasterVolume = 0x0D000011;  // once per track (renderer)
inline constexpr uint32_t kMdtkAppendTempo = 0x0D000015;
inline constexpr uint32_t kMdtkPolyPressure = 0x0D000016;
inline constexpr uint32_t kMdtkBadNoteNumber = 0x0D000017;  // once per chunk reading
inline constexpr uint32_t kMdtkBadDelta = 0x0D000019;
inline constexpr uint32_t kMdtkAppendFailed = 0x0D00001A;
inline constexpr uint32_t kMdtkBadTimeSignature = 0x0D000027;
inline constexpr uint32_t kMdtkAppendText = 0x0D000028;

inline constexpr uint32_t kM0dtNotFormat0 = 0x04000001;
inline constexpr uint32_t kM0dtTrackCount = 0x04000003;
inline constexpr uint32_t kM0dtNotMidi = 0x04000004;
inline constexpr uint32_t kM0dtInternal = 0x04000005;  // renderer: wrong form

inline constexpr uint32_t kM1dtError = 0x00000000;  // fewer chunks than tracks
inline constexpr uint32_t kM1dtTrackCount = 0x03000001;
inline constexpr uint32_t kM1dtNotFormat1 = 0x03000002;
inline constexpr uint32_t kM1dtInternal = 0x03000003;  // wrong form
inline constexpr uint32_t kM1dtNotMidi = 0x03000004;
inline constexpr uint32_t kM1dtMultipleMasterVolume = 0x03000006;
inline constexpr uint32_t kM1dtNoMasterVolume = 0x03000016;
inline constexpr uint32_t kM1dtTooLarge = 0x03000019;

inline constexpr uint32_t kMdevError = 0x00000000;

inline constexpr uint32_t kMuevDataTooLarge = 0x06000001;
inline constexpr uint32_t kMuevDataError = 0x06000002;

// The reporters of the five tags ("MDTK%08X %s" and so on). Each shows a
// system-modal box through the user-interface services.
ModuleReporter& MdtkReporter();
ModuleReporter& M0dtReporter();
ModuleReporter& M1dtReporter();
ModuleReporter& MdevReporter();
ModuleReporter& MuevReporter();

inline void MdtkError(uint32_t code) { MdtkReporter().Report(code); }
inline void M0dtError(uint32_t code) { M0dtReporter().Report(code); }
inline void M1dtError(uint32_t code) { M1dtReporter().Report(code); }
inline void MdevError(uint32_t code = kMdevError) { MdevReporter().Report(code); }
inline void MuevError(uint32_t code) { MuevReporter().Report(code); }

// The once-only MDTK warnings (event too large, bad note number, and the
// renderer's second master volume): shown at most once until re-armed.
// Taking a chunk into a track re-arms them.
inline void MdtkWarnOnce(uint32_t code) { MdtkReporter().ReportOnce(code); }
inline void RearmMdtkWarnings() { MdtkReporter().Rearm(); }

}  // namespace crx
