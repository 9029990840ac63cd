#pragma once

#include "swf/Definitions.h"

// Readers for the sound tags: definitions, starts, stream heads and the
// sounds a button plays.
namespace swf {

// The rate, size and channel fields that follow a 4-bit codec.
SoundFormat ReadSoundFormat(SwfReader &r);
SoundInfo ReadSoundInfo(SwfReader &r);
std::shared_ptr<SoundDef> ReadDefineSound(SwfReader &r);
// SoundStreamHead and SoundStreamHead2 share one layout.
StreamHead ReadStreamHead(SwfReader &r);
// DefineButtonSound: fills the sounds of the button it names.
void ReadButtonSounds(SwfReader &r, const MovieDef &movie);

} // namespace swf
