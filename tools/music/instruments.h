// The module's twelve synthesized instruments, one 16-bit sample each.
#pragma once
#include <vector>

#include "xm_module.h"

namespace song {

// Pattern instrument numbers (1-based, as the patterns write them).
enum InstrumentNumber : std::uint8_t {
    ins_kick = 1,
    ins_snare,
    ins_closed_hat,
    ins_open_hat,
    ins_bass,
    ins_lead,
    ins_chord,  // short pulse stab, played with the 0xy arpeggio
    ins_pad,    // looping: root, fifth and octave of detuned saws
    ins_choir,  // looping: formant "aah"
    ins_pluck,
    ins_crash,
    ins_sweep,  // rising noise
};
constexpr int instrument_count = 12;

// All twelve, in instrument-number order.
std::vector<xm::Instrument> make_instruments();

}  // namespace song
