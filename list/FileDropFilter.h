#pragma once

#include <QObject>

// Lets a window take files dropped on it as the panel does: the media files
// go to the end of the playlist. Install it on the window, which it also
// makes accept drops; the window owns it.
class FileDropFilter : public QObject {
    Q_OBJECT
public:
    explicit FileDropFilter(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
