#include "MovieClipLoading.h"

#include "swf/MoviePlayer.h"

namespace swf {

Value ClipLoadMovie(NativeCall &call)
{
    DisplayObject *clip = call.clip();
    if (!clip || call.args.empty())
        return Undefined{};
    const QString url = call.string(0);
    if (url.isEmpty())
        call.player().unloadMovie(*clip);
    else
        call.player().loadMovie(*clip, url);
    return Undefined{};
}

Value ClipLoadVariables(NativeCall &call)
{
    if (DisplayObject *clip = call.clip(); clip && !call.args.empty())
        call.player().loadVariables(*clip, call.string(0));
    return Undefined{};
}

} // namespace swf
