#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>
#include <memory>

// The application's error box: a modal message with the error icon and the
// program's name as caption. Tests put a recorder in its place.
void ShowErrorBox(const QString &message);

using ErrorBoxHandler = std::function<void(const QString &message)>;
// Replaces the box (an empty handler restores it); returns the previous one.
ErrorBoxHandler SetErrorBoxHandler(ErrorBoxHandler handler);

// A message box of the program's, captioned with its name. Its text is plain
// text whatever it holds: messages carry file names, and a name may look like
// markup.
std::unique_ptr<QMessageBox> MakeMessageBox(QMessageBox::Icon icon, const QString &text,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok);
