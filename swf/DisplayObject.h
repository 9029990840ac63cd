#pragma once

#include "swf/Definitions.h"
#include "swf/Drawing.h"
#include "swf/script/ScriptObject.h"

#include <QHash>

#include <map>
#include <memory>

namespace swf {

namespace avm2 {
class DisplayObjectNative;
}
class TextFieldState;

// What a place command sets on an object at a depth.
struct DisplayProperties {
    QTransform matrix;
    ColorTransform cxform;
    int ratio = 0;
    QString name;
    int clipDepth = 0;
    int blendMode = 0;
    // Drawn through an offscreen layer: filters in order, or the object cached as a bitmap.
    std::shared_ptr<const FilterList> filters;
    bool cacheAsBitmap = false;
    // Filled behind the object's content over its bounds.
    std::optional<QColor> opaqueBackground;
    std::shared_ptr<const std::vector<ClipAction>> clipActions;

    // Takes the properties the command gives, keeping the others.
    void take(const PlaceCommand &c)
    {
        if (c.matrix)
            matrix = *c.matrix;
        if (c.cxform)
            cxform = *c.cxform;
        if (c.ratio)
            ratio = *c.ratio;
        if (c.name)
            name = *c.name;
        if (c.clipDepth)
            clipDepth = *c.clipDepth;
        if (c.blendMode)
            blendMode = *c.blendMode;
        if (c.filters)
            filters = c.filters;
        if (c.cacheAsBitmap)
            cacheAsBitmap = *c.cacheAsBitmap;
        if (c.opaqueBackground)
            opaqueBackground = c.opaqueBackground;
        if (c.clipActions)
            clipActions = c.clipActions;
    }

    // The events this object has handlers for.
    uint32_t clipEvents() const
    {
        uint32_t events = 0;
        if (clipActions)
            for (const ClipAction &action : *clipActions)
                events |= action.events;
        return events;
    }
};

// What scripts set on a placed video: the stream it shows instead of its
// embedded frames, how it is drawn, and the picture clear() took away.
struct VideoState {
    std::shared_ptr<VideoSource> stream;
    bool smoothing = false;
    int deblocking = 0;
    qint64 clearedPicture = 0; // the cache key of the picture cleared, until another comes
};

// A movie loaded into a clip: its characters and timeline, and where it
// came from.
struct LoadedMovie {
    std::shared_ptr<const MovieDef> movie;
    QString folder;   // where the files it loads are looked up
    QString url;      // as _url names it
    qint64 bytes = 0; // its file's size
};

// One placed character of a running movie. Sprites (and the root) carry a
// timeline with children by depth; buttons carry the children of their
// current state.
struct DisplayObject : DisplayProperties {
    const Character *character = nullptr; // null for the root
    // The character when a script made it for this object alone (attachBitmap's shape).
    std::shared_ptr<const Character> ownCharacter;
    int characterId = 0;
    int depth = 0;
    bool visible = true;
    // The parent's frame on which this placement happened; a backward jump
    // keeps objects whose placement persisted.
    int placedFrame = -1;
    // Made or moved by a script: the timeline leaves it alone.
    bool scripted = false;
    // Counts up as objects are made: newer clips run their frames first.
    quint64 serial = 0;
    // Off the display list with unload scripts to run: it waits at a negative
    // depth, still reachable by name, until the end of the frame.
    bool removed = false;
    DisplayObject *parent = nullptr;
    // The level whose root this is (_level0 is the root); 0 below a root.
    int level = 0;

    // The movie loaded into this clip, whose characters it and what it holds
    // are made of; none for clips of their parent's movie. Declared before
    // the timeline and children, which point into it and go first.
    std::shared_ptr<const LoadedMovie> loaded;
    // The movie an imported character came from, which what it holds is made of.
    std::shared_ptr<const MovieDef> definedIn;
    const Timeline *timeline = nullptr;
    int currentFrame = 0;
    bool playing = true;
    std::map<int, std::unique_ptr<DisplayObject>> children;
    // What a version 5 timeline placed later on this object's depth: the
    // reference player keeps both and shows the newer one under it.
    std::vector<std::unique_ptr<DisplayObject>> beneath;

    int buttonState = 1; // 1 up, 2 over, 4 down
    // What Sound objects made for this clip set; the output mixes the movie
    // as a whole, so it is kept for scripts to read back.
    SoundTransform sound;
    // What the drawing API drew into the clip, under its children; none until used.
    std::shared_ptr<Drawing> drawing;
    // Only this part of the clip shows, moved to the clip's origin (twips, clip coordinates).
    std::optional<QRectF> scrollRect;
    // The clip setMask gave: this one shows only within its shapes. The
    // clip masking is the one this masks; while it does, this is not drawn.
    ClipRef mask;
    ClipRef masking;
    // A text field's text and settings as scripts see and change them.
    std::shared_ptr<TextFieldState> textField;
    // A video's settings and attached stream.
    std::shared_ptr<VideoState> video;
    // The clip's script side: its variables as members, by key (names as the
    // movie's version compares them) in the order they were made, and its
    // prototype (none: its class's). Scripts reach it through ClipRef only,
    // so it lives exactly as long as the clip.
    ScriptObject object;
    // Expires with the object, so queued work can tell it is gone.
    std::shared_ptr<char> alive = std::make_shared<char>();
    // The target path when a script first referred to the clip, which its
    // references keep once it is gone.
    std::shared_ptr<const QString> origin;
    // The scales and rotation scripts last set, as they set them (the
    // rotation brought into -180..180): read back as long as the matrix's
    // scale and rotation part is still the one they made.
    struct ScriptGeometry {
        QTransform made;
        double xScale = 1, yScale = 1, rotation = 0;
        bool set = false;
    } scriptGeometry;
    // The player's count of live objects, kept by construction and destruction.
    int *liveCount = nullptr;
    // An ActionScript 3 movie's script object for it, once scripts saw it;
    // that object clears this as it goes.
    avm2::DisplayObjectNative *as3Object = nullptr;

    DisplayObject() = default;
    DisplayObject(const DisplayObject &) = delete;
    DisplayObject &operator=(const DisplayObject &) = delete;
    ~DisplayObject()
    {
        if (liveCount)
            --*liveCount;
    }

    bool isSprite() const { return timeline != nullptr; }
    int frameCount() const { return timeline ? int(timeline->frames.size()) : 0; }
    const ButtonDef *button() const { return dynamic_cast<const ButtonDef *>(character); }
    // The object's name path from the root, "/a/b" style.
    QString path() const;
};

inline ClipRef refTo(DisplayObject *clip)
{
    if (!clip)
        return ClipRef{};
    if (!clip->origin)
        clip->origin = std::make_shared<const QString>(clip->path());
    return ClipRef{clip, clip->alive, clip->origin};
}

} // namespace swf
