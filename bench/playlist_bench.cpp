// Times the playlist's heavy operations through the real windows: loading a
// 100,000-entry playlist file, adding a folder of 10,000 files, trimming and
// sorting 100,000 entries; prints each and the peak memory.
#include "app/Startup.h"
#include "list/Playlist.h"
#include "list/TListBoxs.h"
#include "list/TfrmList.h"
#include "main/TfrmMain.h"
#include "skin/Skin.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

#include <gst/gst.h>

namespace {

template <class Work>
void timed(const char *what, Work work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    QCoreApplication::processEvents(); // the list repaints once
    std::printf("%-44s %8.1f ms  (%d entries)\n", what, clock.nsecsElapsed() / 1e6, PlayListBox->items().count());
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    gst_init(nullptr, nullptr);
    QTemporaryDir dir;
    InitSkin(dir.path());
    CreateWindows();
    frmMain->show();
    frmList->show();

    const QString listFile = dir.filePath("big.pls");
    {
        QFile file(listFile);
        file.open(QIODevice::WriteOnly);
        QByteArray text;
        for (int i = 0; i < 100000; ++i)
            text += "/home/user/Music/Artist " + QByteArray::number(i % 977) + "/Track " + QByteArray::number(i) + ".mp3\r\n";
        file.write(text);
    }
    const QString folder = dir.filePath("folder");
    QDir().mkpath(folder);
    for (int i = 0; i < 10000; ++i) {
        QFile file(QStringLiteral("%1/Song %2.%3").arg(folder).arg((i * 7919) % 10000).arg(i % 3 ? "mp3" : "txt"));
        file.open(QIODevice::WriteOnly);
    }

    timed("load a 100,000-entry playlist file", [&] { LoadList(listFile); });
    timed("add a folder of 10,000 files", [&] { AddFolder(folder); });
    timed("trim (100,000 missing files)", [] { TrimList(); });
    timed("load again", [&] { LoadList(listFile); });
    timed("sort 100,000 entries", [] { frmList->mnuSort->trigger(); });
    timed("add a folder into the sorted list", [&] { AddFolder(folder); });

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory (resident): %.1f MiB\n", usage.ru_maxrss / 1024.0);
    frmList->mnuClear->trigger();
    DestroyWindows();
    return 0;
}
