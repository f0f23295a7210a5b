#pragma once
// How long a Standard MIDI File plays: the virtual clock writes MIDI music as silence, but of
// the track's own length, so the playlist moves on when the live show's would.
#include <cstdint>
#include <string>

namespace ky {

// The playing time in milliseconds of the SMF bytes (the last event of any track, through the
// tempo changes). Throws TKyError "<name>: ..." for bytes that are no Standard MIDI File.
int64_t MidiLengthMs(const std::string& bytes, const std::string& name);

}  // namespace ky
