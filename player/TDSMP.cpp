#include "TDSMP.h"

#include "platform/HeapMemory.h"
#include "player/MediaGraph.h"

#include <QWidget>

TDSMP DSMP;
REFERENCE_TIME Duration = 0;

namespace {
std::shared_ptr<IGraphBuilder> CreateFilterGraph()
{
    return std::make_shared<MediaGraph>();
}

template <class Face>
std::shared_ptr<Face> QueryInterface(const std::shared_ptr<IGraphBuilder> &graph)
{
    return std::dynamic_pointer_cast<Face>(graph);
}
} // namespace

void FreeGraph(TDSMP &ds)
{
    if (!ds.Graph)
        return;
    ds.Graph.reset();
    ds.Event.reset();
    ds.Seeking.reset();
    ds.Control.reset();
    ds.Audio.reset();
    ds.Video.reset();
    ds.Window.reset();
    ds.Content.reset();
    // The item's threads have been joined: what they freed can go back now.
    ReturnFreeHeapMemory();
}

bool OpenGraph(TDSMP &ds, const QString &fileName)
{
    FreeGraph(ds);
    ds = TDSMP{};

    ds.Graph = CreateFilterGraph();
    ds.Control = QueryInterface<IMediaControl>(ds.Graph);
    // A graph that cannot play its file is released at once, so no command
    // and no clock ever runs on an empty graph.
    if (!ds.Control || !ds.Control->RenderFile(fileName)) {
        FreeGraph(ds);
        return false;
    }
    ds.Seeking = QueryInterface<IMediaSeeking>(ds.Graph);
    ds.Event = QueryInterface<IMediaEvent>(ds.Graph);
    if (!ds.Seeking || !ds.Event) {
        FreeGraph(ds);
        return false;
    }
    ds.Audio = QueryInterface<IBasicAudio>(ds.Graph);
    ds.Video = QueryInterface<IBasicVideo>(ds.Graph);
    ds.Window = QueryInterface<IVideoWindow>(ds.Graph);
    ds.Content = QueryInterface<IAMMediaContent>(ds.Graph);

    bool visible = false;
    ds.HasVideo = ds.Video && ds.Window && ds.Window->get_Visible(visible);
    if (ds.HasVideo) {
        ds.Video->GetVideoSize(ds.VideoWidth, ds.VideoHeight);
        ds.Video->get_BitRate(ds.BitRate);
        double frameSeconds = 0;
        ds.Video->get_AvgTimePerFrame(frameSeconds);
        ds.FrameRate = frameSeconds == 0 ? 0.0f : float(1.0 / frameSeconds);
    }
    ds.Opened = true;
    return true;
}

void SetVideoOwner(TDSMP ds, QWidget *owner)
{
    if (ds.Window)
        ds.Window->put_Owner(owner);
}

bool StartMediaGraph(const QString &fileName, QWidget *videoOwner)
{
    if (!OpenGraph(DSMP, fileName))
        return false;
    SetVideoOwner(DSMP, videoOwner);
    if (DSMP.Window)
        DSMP.Window->SetWindowPosition(0, 0, videoOwner->width(), videoOwner->height());
    DSMP.Seeking->GetDuration(Duration);
    DSMP.Control->Run();
    return true;
}

void RefreshDuration()
{
    if (DSMP.Seeking && Duration == MediaGraph::UnknownDuration)
        DSMP.Seeking->GetDuration(Duration);
}
