#pragma once

#include "player/TDSMP.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <optional>

// Starts the file in DSMP over owner and runs events until it plays (true)
// or cannot (false); the graph always tells, at the latest when its
// preroll times out.
// longestGapMs, when given, receives the longest time the event loop was
// held during the start (the call itself included), as a click would wait.
inline bool StartAndWait(const QString &fileName, QWidget *owner, double *longestGapMs = nullptr)
{
    constexpr int ProbeMs = 2;
    const auto told = std::make_shared<std::optional<bool>>();
    QElapsedTimer sinceLast;
    double longest = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceLast.nsecsElapsed() / 1e6 - ProbeMs);
        sinceLast.restart();
    });
    if (longestGapMs)
        probe.start(ProbeMs);
    sinceLast.start();
    StartMediaGraph(fileName, owner, [told](bool started) { *told = started; });
    while (!told->has_value())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (longestGapMs)
        *longestGapMs = std::max(0.0, std::max(longest, sinceLast.nsecsElapsed() / 1e6 - ProbeMs));
    return told->value();
}
