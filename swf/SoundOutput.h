#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

namespace swf {

class SoundMixer;

// Where a movie's mixed sound is heard. An output pulls the mixer from its
// own thread from the moment it is made until it is destroyed, and says
// how far the listener has got.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // How far into the mix the listener has got, in sample frames counted
    // as the mixer counts them; negative while that is not known (starting,
    // or no device at all).
    virtual qint64 heardFrames() const = 0;
};

using SoundOutputFactory = std::function<std::unique_ptr<SoundOutput>(SoundMixer &mixer)>;

} // namespace swf
