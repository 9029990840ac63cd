#pragma once

#include "player/MediaGraph.h"
#include "player/TDSMP.h"

#include <QtTest>

#include <memory>
#include <optional>

// Waiting for a media graph that prerolls while events go on.
namespace GraphStart {

// Longer than the graph itself waits, so the graph always tells first.
constexpr int WaitMs = MediaGraph::PrerollTimeoutMs + 5000;

// What a start told, shared with the callback, which may come after the
// test's wait has given up.
using Told = std::shared_ptr<std::optional<bool>>;

inline bool wait(const Told &told)
{
    return QTest::qWaitFor([&told] { return told->has_value(); }, WaitMs) && told->value();
}

// Opens the file into DSMP; true once it has prerolled.
inline bool open(const QString &fileName)
{
    const Told told = std::make_shared<std::optional<bool>>();
    OpenGraph(DSMP, fileName, [told](bool opened) { *told = opened; });
    return wait(told);
}

// Starts the file in DSMP over owner; true once it plays.
inline bool start(const QString &fileName, QWidget *owner)
{
    const Told told = std::make_shared<std::optional<bool>>();
    StartMediaGraph(fileName, owner, [told](bool started) { *told = started; });
    return wait(told);
}

} // namespace GraphStart
