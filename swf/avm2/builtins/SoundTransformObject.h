#pragma once

#include "swf/Definitions.h"
#include "swf/avm2/Object.h"

namespace swf::avm2 {

class Runtime;

// A volume and how much of each input channel each speaker plays, as
// flash.media.SoundTransform keeps them: 1 is all of it.
struct SoundLevels {
    double volume = 1;
    double leftToLeft = 1, leftToRight = 0, rightToLeft = 0, rightToRight = 1;
};

// A pan towards one side turns the other side's own channel down and stops
// any channel crossing over, as the engine's older Sound.setPan does.
void SetSoundPan(SoundLevels &levels, double pan);
// Read back from the channels: the right one short of the left is a pan
// to the left, and the other way round.
double SoundPan(const SoundLevels &levels);
// The engine's transform (whole percents, bounded) and back.
swf::SoundTransform ToEngineTransform(const SoundLevels &levels);
SoundLevels FromEngineTransform(const swf::SoundTransform &transform);

class SoundTransformObject : public Object {
public:
    using Object::Object;
    SoundLevels levels;
};

// A new SoundTransform holding levels.
Value NewSoundTransform(Runtime &rt, const SoundLevels &levels);
// The levels of a SoundTransform given to a method (a TypeError for
// anything else); null gives nothing.
const SoundLevels *SoundLevelsOf(Runtime &rt, const Value &v);

} // namespace swf::avm2
