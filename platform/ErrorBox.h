#pragma once

#include <QString>

#include <functional>

// The application's error box: a modal message with the error icon and the
// program's name as caption. Tests put a recorder in its place.
void ShowErrorBox(const QString &message);

using ErrorBoxHandler = std::function<void(const QString &message)>;
// Replaces the box (an empty handler restores it); returns the previous one.
ErrorBoxHandler SetErrorBoxHandler(ErrorBoxHandler handler);
