#pragma once

#include "swf/Definitions.h"

#include <map>
#include <vector>

namespace swf {

struct DisplayObject;

// A clip's sounds are heard through its own Sound transform and then
// through those of the clips holding it.
SoundTransform ComposeSoundTransforms(const SoundTransform &outer, const SoundTransform &inner);
bool IsPlainSoundTransform(const SoundTransform &transform);

// The transform each clip's sounds are heard through, by the clip's owner
// key (its alive token, which also keys its stream), for the clips under
// roots where it is not plain.
std::map<const void *, SoundTransform> HeardSoundTransforms(const std::vector<const DisplayObject *> &roots);

} // namespace swf
