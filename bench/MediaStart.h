#pragma once

#include "player/TDSMP.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <memory>
#include <optional>

// Starts the file in DSMP over owner and runs events until it plays (true)
// or cannot (false); the graph always tells, at the latest when its
// preroll times out.
inline bool StartAndWait(const QString &fileName, QWidget *owner)
{
    const auto told = std::make_shared<std::optional<bool>>();
    StartMediaGraph(fileName, owner, [told](bool started) { *told = started; });
    while (!told->has_value())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return told->value();
}
