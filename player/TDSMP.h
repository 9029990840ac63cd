#pragma once

#include "player/MediaInterfaces.h"

#include <QString>

#include <cstdint>
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
// Builds a graph for the file; true once it has prerolled and its faces exist.
// A file that cannot be played leaves the record empty.
bool OpenGraph(TDSMP &ds, const QString &fileName);
// Makes the graph's video window a child of owner (nothing for audio-only files).
void SetVideoOwner(TDSMP ds, QWidget *owner);

// The start sequence of an audio/video item: open, place the video over the
// owner's whole client area, read Duration, run. False when the file cannot
// be played: nothing started.
bool StartMediaGraph(const QString &fileName, QWidget *videoOwner);

// Reads Duration again while the length of the playing stream is unknown.
void RefreshDuration();
