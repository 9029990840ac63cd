#pragma once

#include <QString>

#include <cstdint>
#include <functional>

class QWidget;

// The faces of a media graph. One graph object offers all of them; a holder
// of a face keeps the graph alive, and the graph is gone when the last face
// is released. Calls report success as true.

// Media time: signed counts of 100 ns.
using REFERENCE_TIME = std::int64_t;

// Seeking flags.
constexpr unsigned AM_SEEKING_NoPositioning = 0;
constexpr unsigned AM_SEEKING_AbsolutePositioning = 1;

class IGraphBuilder {
public:
    virtual ~IGraphBuilder() = default;
};

class IMediaControl {
public:
    virtual ~IMediaControl() = default;
    // Builds the graph for the file and starts its preroll; false at once
    // when it cannot even begin (missing, not a regular file). Otherwise
    // prerolled follows on the user-interface thread, after RenderFile has
    // returned: true once the graph has prerolled, false when the file cannot
    // be played (empty, not media, no decoder) or takes too long. It is never
    // called once the graph is gone.
    virtual bool RenderFile(const QString &fileName, std::function<void(bool prerolled)> prerolled) = 0;
    virtual bool Run() = 0;
    virtual bool Pause() = 0;
};

class IMediaSeeking {
public:
    virtual ~IMediaSeeking() = default;
    virtual bool GetDuration(REFERENCE_TIME &duration) = 0;
    virtual bool GetCurrentPosition(REFERENCE_TIME &position) = 0;
    virtual bool GetStopPosition(REFERENCE_TIME &stop) = 0;
    virtual bool SetPositions(REFERENCE_TIME *current, unsigned currentFlags, REFERENCE_TIME *stop,
                              unsigned stopFlags) = 0;
};

// Held to mark a complete graph; the end of media is found by polling positions.
class IMediaEvent {
public:
    virtual ~IMediaEvent() = default;
};

// Held, not called: the output volume is the program's own (WaveVolume).
class IBasicAudio {
public:
    virtual ~IBasicAudio() = default;
};

class IBasicVideo {
public:
    virtual ~IBasicVideo() = default;
    virtual bool GetVideoSize(std::int32_t &width, std::int32_t &height) = 0;
    virtual bool get_BitRate(std::int32_t &bitsPerSecond) = 0;
    virtual bool get_AvgTimePerFrame(double &seconds) = 0;
};

// The stream's descriptive tags (DirectShow's IAMMediaContent), as far as
// the stream has told them so far; false where it carries none.
class IAMMediaContent {
public:
    virtual ~IAMMediaContent() = default;
    virtual bool get_Title(QString &title) = 0;
    virtual bool get_AuthorName(QString &author) = 0;
};

class IVideoWindow {
public:
    virtual ~IVideoWindow() = default;
    // Fails when the graph has no video.
    virtual bool get_Visible(bool &visible) = 0;
    // Makes the video window a child of owner; mouse and keys over the video
    // reach the owner. Fails when the graph has no video.
    virtual bool put_Owner(QWidget *owner) = 0;
    virtual bool SetWindowPosition(int left, int top, int width, int height) = 0;
};
