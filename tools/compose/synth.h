// The soundtrack's instruments, synthesised from oscillators, noise and envelopes. Every sample
// is made at 33452 Hz with relative note 24, so pattern note C-4 plays it at its own rate and
// a looped cycle of 128 frames sounds as C-4. Tones that reach high notes carry one copy per
// octave, each holding only the partials the 48 kHz output can carry at that octave's top.
#pragma once

#include "xm_writer.h"

enum SynthInstrument {
    ins_kick = 1,
    ins_snare,
    ins_hat,
    ins_open_hat,
    ins_crash,
    ins_clap,
    ins_bass,
    ins_pad,
    ins_lead,
    ins_pluck,
    ins_stab,
    ins_riser,
    ins_boom,
    ins_sub,
    ins_bell,
    ins_splash, // a short bright burst that lifts every accent across the top of the spectrum
    ins_roll,   // a tight snare whose hits die before the next row of a roll
    synth_instrument_count = ins_roll
};

// The drums and hits that mark the accents; everything else is tone or texture.
inline bool synth_is_accent(int instrument) {
    return instrument == ins_kick || instrument == ins_snare || instrument == ins_clap ||
           instrument == ins_crash || instrument == ins_splash || instrument == ins_roll ||
           instrument == ins_stab;
}

// All instruments in the order of the enum (instrument k is element k - 1).
std::vector<XmInstrument> synth_instruments();
