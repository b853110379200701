// The soundtrack's instruments, synthesised from oscillators, noise and envelopes. Every sample
// is made at 33452 Hz with relative note 24, so pattern note C-4 plays it at its own rate and
// a looped cycle of 128 frames sounds as C-4.
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
    synth_instrument_count = ins_bell
};

// All instruments in the order of the enum (instrument k is element k - 1).
std::vector<XmInstrument> synth_instruments();
