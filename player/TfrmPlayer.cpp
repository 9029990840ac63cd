#include "TfrmPlayer.h"

#include "player/MediaGraph.h"
#include "player/TDSMP.h"
#include "player/TFlash.h"
#include "skin/Language.h"
#include "skin/Settings.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPalette>
#include <QScreen>

TfrmPlayer *frmPlayer = nullptr;
TOpenDialog *OpenDlg = nullptr;

TfrmPlayer::TfrmPlayer(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    move(DefaultLeft, DefaultTop);
    resize(DefaultWidth, DefaultHeight);
    FormCreate();
}

TfrmPlayer::~TfrmPlayer()
{
    OpenDlg = nullptr;
    // The movie control goes with the window.
    delete Flash;
    Flash = nullptr;
}

QAction *TfrmPlayer::MakeItem(const char *name, QMenu *menu)
{
    auto *item = new QAction(this);
    item->setObjectName(QLatin1String(name));
    menu->addAction(item);
    // Shortcuts work while the window is active, as a menu's do.
    addAction(item);
    return item;
}

void TfrmPlayer::FormCreate()
{
    setWindowTitle(Playing.caption());
    connect(&Playing, &PlayingItem::changed, this, [this] { setWindowTitle(Playing.caption()); });
    OpenDlg = &m_openDialog;

    PopupMenu = new QMenu(this);
    connect(PopupMenu, &QMenu::aboutToShow, this, &TfrmPlayer::PopupMenuPopup);
    mnuPlaypasue = MakeItem("mnuPlaypasue", PopupMenu);
    mnuPlaypasue->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    mnuStop = MakeItem("mnuStop", PopupMenu);
    mnuBack = MakeItem("mnuBack", PopupMenu);
    mnuBack->setVisible(false);
    mnuForward = MakeItem("mnuForward", PopupMenu);
    mnuForward->setVisible(false);
    mnuPrv = MakeItem("mnuPrv", PopupMenu);
    mnuPrv->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Left));
    mnuNext = MakeItem("mnuNext", PopupMenu);
    mnuNext->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Right));
    N4 = MakeItem("N4", PopupMenu);
    N4->setSeparator(true);
    mnuMain = MakeItem("mnuMain", PopupMenu);
    mnuOpen = MakeItem("mnuOpen", PopupMenu);
    mnuOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    N2 = MakeItem("N2", PopupMenu);
    N2->setSeparator(true);
    auto *options = new QMenu(this);
    mnuAptitude = MakeItem("mnuAptitude", PopupMenu);
    mnuAptitude->setMenu(options);
    mnuAutoSkip = MakeItem("mnuAutoSkip", options);
    mnuDisLoop = MakeItem("mnuDisLoop", options);
    for (QAction *option : {mnuAutoSkip, mnuDisLoop}) {
        option->setCheckable(true);
        option->setChecked(true);
    }
    mnuFullscreen = MakeItem("mnuFullscreen", PopupMenu);
    mnuFullscreen->setCheckable(true);
    mnuFullscreen->setShortcut(QKeySequence(Qt::Key_Escape));
    N1 = MakeItem("N1", PopupMenu);
    N1->setSeparator(true);
    mnuClose = MakeItem("mnuClose", PopupMenu);

    connect(mnuPlaypasue, &QAction::triggered, this, &TfrmPlayer::mnuPlaypasueClick);
    connect(mnuStop, &QAction::triggered, this, &TfrmPlayer::mnuStopClick);
    connect(mnuBack, &QAction::triggered, this, [this] { mnuBackClick(mnuBack); });
    connect(mnuForward, &QAction::triggered, this, [this] { mnuBackClick(mnuForward); });
    connect(mnuPrv, &QAction::triggered, this, [this] { mnuPrvClick(mnuPrv); });
    connect(mnuNext, &QAction::triggered, this, [this] { mnuPrvClick(mnuNext); });
    connect(mnuMain, &QAction::triggered, this, &TfrmPlayer::mnuMainClick);
    connect(mnuOpen, &QAction::triggered, this, &TfrmPlayer::openRequested);
    connect(mnuFullscreen, &QAction::triggered, this, &TfrmPlayer::mnuFullscreenClick);
    connect(mnuClose, &QAction::triggered, this, &TfrmPlayer::mnuCloseClick);

    Timer = new QTimer(this);
    Timer->setInterval(ClockInterval);
    connect(Timer, &QTimer::timeout, this, &TfrmPlayer::TimerTimer);

    Flash = new TFlash(this);
    Flash->setGeometry(rect());
    connect(Flash, &TFlash::popupRequested, PopupMenu, [this](const QPoint &at) { PopupMenu->popup(at); });

    ApplyPlayerLanguage(this, m_openDialog.Filter, LangName);
}

bool TfrmPlayer::isInNormalState() const
{
    return !mnuFullscreen->isChecked() &&
           !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
}

void TfrmPlayer::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TfrmPlayer::FormResize()
{
    Flash->setGeometry(rect());
    if (DSMP.Window) {
        DSMP.Window->SetWindowPosition(0, 0, width(), height());
    } else if (isVisible()) {
        Flash->setFocus();
    }
}

void TfrmPlayer::contextMenuEvent(QContextMenuEvent *event)
{
    PopupMenu->popup(event->globalPos());
}

void TfrmPlayer::PopupMenuPopup()
{
    const bool loaded = !Playing.isNone();
    mnuPlaypasue->setVisible(loaded);
    mnuStop->setVisible(loaded);
    const bool several = EntryCount && EntryCount() > 1;
    mnuPrv->setVisible(several);
    mnuNext->setVisible(several);
}

void TfrmPlayer::mnuBackClick(QAction *Sender)
{
    Jump(Sender == mnuBack);
}

void TfrmPlayer::mnuPrvClick(QAction *Sender)
{
    emit stepRequested(Sender == mnuNext);
}

void TfrmPlayer::mnuMainClick()
{
    emit mainRequested();
}

void TfrmPlayer::mnuCloseClick()
{
    hide();
}

void TfrmPlayer::mnuFullscreenClick()
{
    // The check mark is the mode; triggering a checkable item has inverted it.
    const bool maximised = windowState() & Qt::WindowMaximized;
    if (mnuFullscreen->isChecked()) {
        // The client area: the frame's size is not known again right after
        // the full-screen state ends, so a frame position would come back
        // shifted by the title bar.
        if (!maximised)
            m_savedGeometry = geometry();
        // The desktop's full-screen state takes the frame away and puts the
        // window above its panels and the program's other windows. The
        // geometry, set first (a later one would end the state), covers the
        // screen also where no window manager does it.
        if (screen())
            setGeometry(screen()->geometry());
        setWindowState(windowState() | Qt::WindowFullScreen);
        raise();
        activateWindow();
    } else {
        setWindowState(windowState() & ~Qt::WindowFullScreen);
        if (!maximised)
            setGeometry(m_savedGeometry);
    }
}
