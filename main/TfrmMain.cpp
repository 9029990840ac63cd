#include "TfrmMain.h"

#include "list/TfrmList.h"
#include "player/TfrmPlayer.h"
#include "skin/Settings.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QShowEvent>

TfrmMain *frmMain = nullptr;

namespace {
const QString WindowSection = QStringLiteral("Window");
const QString ShowSection = QStringLiteral("Show");
} // namespace

TfrmMain::TfrmMain(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setWindowTitle(QStringLiteral("Tessaro"));
    setFixedSize(PanelWidth, PanelHeight);
    move(DefaultLeft, DefaultTop);
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A spontaneous show is the desktop restoring a minimised window, not the
    // program showing it.
    if (!event->spontaneous())
        FormShow();
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    FormCloseQuery();
    event->accept();
    QCoreApplication::exit(0);
}

void TfrmMain::FormShow()
{
    IniFileName = PreferencesFileName();

    move(ReadIniInteger(WindowSection, QStringLiteral("Main.Left"), x()), y());
    move(x(), ReadIniInteger(WindowSection, QStringLiteral("Main.Top"), y()));

    frmList->move(ReadIniInteger(WindowSection, QStringLiteral("List.Left"), frmList->x()), frmList->y());
    frmList->move(frmList->x(), ReadIniInteger(WindowSection, QStringLiteral("List.Top"), frmList->y()));
    frmList->resize(ReadIniInteger(WindowSection, QStringLiteral("List.Width"), frmList->width()),
                    frmList->height());
    frmList->resize(frmList->width(),
                    ReadIniInteger(WindowSection, QStringLiteral("List.Height"), frmList->height()));

    frmPlayer->move(ReadIniInteger(WindowSection, QStringLiteral("Player.Left"), frmPlayer->x()),
                    frmPlayer->y());
    frmPlayer->move(frmPlayer->x(),
                    ReadIniInteger(WindowSection, QStringLiteral("Player.Top"), frmPlayer->y()));

    if (ReadIniBool(ShowSection, QStringLiteral("List"), false)) {
        frmList->show();
        frmList->raise();
    }
    if (ReadIniBool(ShowSection, QStringLiteral("Player"), false)) {
        frmPlayer->show();
        frmPlayer->raise();
    }
}

void TfrmMain::FormCloseQuery()
{
    IniFileName = PreferencesFileName();
    WriteIniInteger(WindowSection, QStringLiteral("Main.Left"), x());
    WriteIniInteger(WindowSection, QStringLiteral("Main.Top"), y());
    WriteIniInteger(WindowSection, QStringLiteral("List.Left"), frmList->x());
    WriteIniInteger(WindowSection, QStringLiteral("List.Top"), frmList->y());
    WriteIniInteger(WindowSection, QStringLiteral("List.Width"), frmList->width());
    WriteIniInteger(WindowSection, QStringLiteral("List.Height"), frmList->height());
    WriteIniBool(ShowSection, QStringLiteral("Player"), frmPlayer->isVisible());
    WriteIniBool(ShowSection, QStringLiteral("List"), frmList->isVisible());
    // A player closed maximised, minimised or full screen keeps the place it
    // had at an earlier exit.
    if (frmPlayer->isInNormalState()) {
        WriteIniInteger(WindowSection, QStringLiteral("Player.Left"), frmPlayer->x());
        WriteIniInteger(WindowSection, QStringLiteral("Player.Top"), frmPlayer->y());
    }
}
