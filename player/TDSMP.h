#pragma once

#include "player/MediaInterfaces.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

// The media graph of the current audio or video item. Each face field holds
// its own reference to the graph; clearing a field releases it. Seeking being
// present means an audio/video item is loaded; Control, that a graph exists.
struct TDSMP {
    bool Opened = false;
    std::shared_ptr<IGraphBuilder> Graph;
    std::shared_ptr<IMediaControl> Control;
    std::shared_ptr<IMediaSeeking> Seeking;
    std::shared_ptr<IMediaEvent> Event;
    std::shared_ptr<IBasicAudio> Audio;
    std::shared_ptr<IBasicVideo> Video;
    std::shared_ptr<IVideoWindow> Window;
    std::shared_ptr<IAMMediaContent> Content;
    bool HasVideo = false;
    std::int32_t VideoWidth = 0;
    std::int32_t VideoHeight = 0;
    std::int32_t BitRate = 0;
    float FrameRate = 0;
};

extern TDSMP DSMP;
// Length of the current audio/video item in 100 ns units; kept after the
// graph is released until the next start overwrites it.
extern REFERENCE_TIME Duration;

// Releases the graph; does nothing on an empty record.
void FreeGraph(TDSMP &ds);
// Builds a graph for the file into the record and prerolls it while events
// go on; opened follows on the user-interface thread with true once the graph
// has prerolled and its faces exist, or with false, the record empty, when the
// file cannot be played (at once, before OpenGraph returns, when it cannot
// even begin). Until then the record holds the graph alone, without a face:
// freeing the record or opening another file into it drops the start, and
// opened is never called.
void OpenGraph(TDSMP &ds, const QString &fileName, std::function<void(bool opened)> opened);
// Makes the graph's video window a child of owner (nothing for audio-only files).
void SetVideoOwner(TDSMP ds, QWidget *owner);

// The start sequence of an audio/video item in DSMP: open, then place the
// video over the owner's whole client area, read Duration, run, and tell
// started true; false when the file cannot be played: nothing started. A
// start that DSMP drops (a stop, a newer start) is never told.
void StartMediaGraph(const QString &fileName, QWidget *videoOwner, std::function<void(bool started)> started);

// Reads Duration again while the length of the playing stream is unknown.
void RefreshDuration();
