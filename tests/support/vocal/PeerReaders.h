#pragma once

#include <string>
#include <vector>

namespace crx::test {

// The peer programs kept with the tests (tests/vocal/peers).
#ifdef CRX_SOURCE_DIR
inline std::string PeersFolder() { return CRX_SOURCE_DIR "/tests/vocal/peers/"; }
#define CRX_PEERS_DEFAULT = PeersFolder()
#else
#define CRX_PEERS_DEFAULT
#endif

// Output lines of a command run through the shell; status gets its exit status.
std::vector<std::string> CommandLines(const std::string& command, int* status = nullptr);

// What python3-mido sees in a MIDI file, as the lines of
// tests/vocal/peers/midi_summary.py; empty when mido is not installed.
bool HaveMido();
std::vector<std::string> MidoSummary(const std::string& path,
                                     const std::string& peers CRX_PEERS_DEFAULT);

// The singing editor's sequence reader (Debian's jcadencii with a Java
// runtime), as the lines of tests/vocal/peers/VsqProbe.java.
bool HaveVsqReader();
struct VsqView {
  std::vector<std::string> lines;   // standard output
  std::vector<std::string> faults;  // standard error: the reader's parse faults
  int status = -1;
};
VsqView ReadWithVsqReader(const std::string& path, const std::string& peers CRX_PEERS_DEFAULT);
// The same with a line "notesec CLOCK SECONDS" per note: the time at which
// the editor sings it under its tempo map.
VsqView ReadSecondsWithVsqReader(const std::string& path,
                                 const std::string& peers CRX_PEERS_DEFAULT);

// midicsv's rows of a MIDI file (exit status in status).
bool HaveMidicsv();
std::vector<std::string> MidicsvRows(const std::string& path, int* status);

// Hex text of bytes, as midi_summary.py prints text payloads.
std::string Hex(const std::string& bytes);

}  // namespace crx::test
