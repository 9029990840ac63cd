#include "TDSMP.h"

#include "player/MediaGraph.h"

#include <QPointer>
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
}

namespace {
// Fills the record's faces from its prerolled graph; false when one that
// every item needs is missing.
bool TakeFaces(TDSMP &ds)
{
    ds.Control = QueryInterface<IMediaControl>(ds.Graph);
    ds.Seeking = QueryInterface<IMediaSeeking>(ds.Graph);
    ds.Event = QueryInterface<IMediaEvent>(ds.Graph);
    if (!ds.Control || !ds.Seeking || !ds.Event)
        return false;
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
} // namespace

void OpenGraph(TDSMP &ds, const QString &fileName, std::function<void(bool opened)> opened)
{
    FreeGraph(ds);
    ds = TDSMP{};

    ds.Graph = CreateFilterGraph();
    const std::shared_ptr<IMediaControl> control = QueryInterface<IMediaControl>(ds.Graph);
    TDSMP *record = &ds;
    // The graph tells only while the record holds it. A graph that cannot
    // play its file is released at once, so no command and no clock ever
    // runs on an empty graph.
    const auto prerolled = [record, opened](bool ok) {
        if (!ok || !TakeFaces(*record)) {
            FreeGraph(*record);
            opened(false);
            return;
        }
        opened(true);
    };
    if (!control || !control->RenderFile(fileName, prerolled)) {
        FreeGraph(ds);
        opened(false);
    }
}

void SetVideoOwner(TDSMP ds, QWidget *owner)
{
    if (ds.Window)
        ds.Window->put_Owner(owner);
}

void StartMediaGraph(const QString &fileName, QWidget *videoOwner, std::function<void(bool started)> started)
{
    OpenGraph(DSMP, fileName, [owner = QPointer<QWidget>(videoOwner), started](bool opened) {
        if (opened) {
            if (owner) {
                SetVideoOwner(DSMP, owner);
                if (DSMP.Window)
                    DSMP.Window->SetWindowPosition(0, 0, owner->width(), owner->height());
            }
            DSMP.Seeking->GetDuration(Duration);
            DSMP.Control->Run();
        }
        started(opened);
    });
}

void RefreshDuration()
{
    if (DSMP.Seeking && Duration == MediaGraph::UnknownDuration)
        DSMP.Seeking->GetDuration(Duration);
}
