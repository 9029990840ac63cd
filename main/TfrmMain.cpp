#include "TfrmMain.h"

#include "list/TfrmList.h"
#include "main/PanelLayout.h"
#include "main/PanelMath.h"
#include "main/TGbtn.h"
#include "main/TProgress.h"
#include "main/TTextLable.h"
#include "platform/WaveVolume.h"
#include "player/TfrmPlayer.h"
#include "skin/Settings.h"
#include "skin/WindowPlace.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>

#include <gst/gst.h>

TfrmMain *frmMain = nullptr;

namespace {
const QString WindowSection = QStringLiteral("Window");
const QString ShowSection = QStringLiteral("Show");
const QColor DisplayGreen(0, 210, 0);
// The time display keeps a face of its own, never the window's language font.
constexpr int TimePixelSize = 20;
} // namespace

TfrmMain::TfrmMain(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setWindowTitle(QStringLiteral("Tessaro"));
    setFixedSize(PanelLayout::Width, PanelLayout::Height);
    move(DefaultLeft, DefaultTop);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FormCreate();
}

TfrmMain::~TfrmMain()
{
    if (TrayIconShown)
        ShowTrayIcon(false);
}

void TfrmMain::FormCreate()
{
    m_titleLayout.setTextFormat(Qt::PlainText);
    m_face = TPanelFace::load(ScreenPixelRatio());

    PopupMenu = new QMenu(this);
    mnuOpen = MakeMenuItem("mnuOpen");
    N1 = MakeMenuItem("N1");
    N1->setSeparator(true);
    mnuAbout = MakeMenuItem("mnuAbout");
    mnuExit = MakeMenuItem("mnuExit");
    connect(mnuOpen, &QAction::triggered, this, [] { frmList->mnuAddFile->trigger(); });
    connect(mnuAbout, &QAction::triggered, this, &TfrmMain::mnuAboutClick);
    connect(mnuExit, &QAction::triggered, this, &TfrmMain::mnuExitClick);

    for (const PanelLayout::ButtonPlace &place : PanelLayout::Buttons)
        m_buttons[place.tag] = MakeButton(place.tag, place.name, place.rect);

    pbVolume = new TProgress(this, m_face);
    pbVolume->setGeometry(PanelLayout::Volume);
    pbVolume->SetPosition(VolumeToBar(GetWaveVolume(), pbVolume->width()));
    pbVolume->OnTrack = [this](int X) { VolumeTrack(X); };

    pbSeek = new TProgress(this, m_face);
    pbSeek->setGeometry(PanelLayout::Seek);

    lblTitle = new TTextLable(this);
    lblTitle->setGeometry(PanelLayout::Title);
    lblTitle->OnPaint = [this](TCustomControls *sender, QPainter &canvas) { PaintTitle(sender, canvas); };

    lblTime = new TTextLable(this);
    lblTime->setGeometry(PanelLayout::Time);
    lblTime->OnPaint = [this](TCustomControls *sender, QPainter &canvas) { PaintTime(sender, canvas); };
    m_timeFont = QFont(QStringLiteral("DejaVu Sans"));
    m_timeFont.setPixelSize(TimePixelSize);
    m_timeMetrics.emplace(m_timeFont);
    lblTime->setText(ZeroTime);

    pbSeek->OnTrack = [this](int X) { SeekTrack(X); };
    setAcceptDrops(true);
    connect(&m_tray, &TrayIcon::leftClicked, this, [this] { WMTrayNotify(true); });
    connect(&m_tray, &TrayIcon::rightClicked, this, [this] { WMTrayNotify(false); });
}

QAction *TfrmMain::MakeMenuItem(const char *name)
{
    auto *item = new QAction(this);
    item->setObjectName(QLatin1String(name));
    PopupMenu->addAction(item);
    return item;
}

TGbtn *TfrmMain::MakeButton(int Tag, const char *name, const QRect &place)
{
    auto *button = new TGbtn(this, m_face);
    button->setObjectName(QLatin1String(name));
    button->Tag = Tag;
    button->resize(place.size());
    connect(button, &TGbtn::Click, this, &TfrmMain::PanelButtonClick);
    button->move(place.topLeft());
    return button;
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A spontaneous show is the desktop restoring a minimised window, and a
    // show from the tray brings the program back: neither is its start.
    if (!event->spontaneous() && !m_restoring)
        FormShow();
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    FormCloseQuery();
    event->accept();
    QCoreApplication::exit(0);
}

void TfrmMain::paintEvent(QPaintEvent *)
{
    QPainter canvas(this);
    CopyRect(canvas, rect(), m_face.bmpFace, rect());
}

void TfrmMain::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragOffset = event->globalPosition().toPoint() - pos();
    QWidget::mousePressEvent(event);
}

void TfrmMain::mouseMoveEvent(QMouseEvent *event)
{
    // The panel moves itself, step by step, so docking sees every move.
    if (m_dragOffset && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - *m_dragOffset);
    QWidget::mouseMoveEvent(event);
}

void TfrmMain::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragOffset.reset();
    QWidget::mouseReleaseEvent(event);
}

void TfrmMain::moveEvent(QMoveEvent *event)
{
    if (frmList)
        frmList->move(DockFollow(frmList->pos(), QRect(event->oldPos(), size()), event->pos()));
    QWidget::moveEvent(event);
}

void TfrmMain::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        m_titleText.clear(); // measured again in the new font
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && frmList && frmList->isVisible())
        frmList->raise();
    // Restored from the task bar: the other windows come back with the panel.
    if (event->type() == QEvent::WindowStateChange && !(windowState() & Qt::WindowMinimized) &&
        !m_minimisedWindows.isEmpty())
        RestoreApplication();
    QWidget::changeEvent(event);
}

void TfrmMain::contextMenuEvent(QContextMenuEvent *event)
{
    PopupMenu->popup(event->globalPos());
}

void TfrmMain::PaintTitle(TCustomControls *Sender, QPainter &Canvas)
{
    const QRect R = Sender->rect();
    CopyRect(Canvas, R, m_face.bmpFace, Sender->geometry());
    const QString text = frmPlayer ? frmPlayer->Playing.caption() : QString();
    Canvas.setFont(font());
    Canvas.setPen(DisplayGreen);
    TitleWidth(text);
    // A stopped or paused item's title stands at the start.
    const bool playing = frmPlayer && frmPlayer->Timer->isActive();
    const int left = playing ? m_titleLeft : 0;
    Canvas.setClipRect(R);
    // Laid out once per title: a scrolling title is only moved on each tick.
    Canvas.drawStaticText(QPoint(R.left() + left, R.top()), m_titleLayout);
}

int TfrmMain::TitleWidth(const QString &text)
{
    if (text != m_titleText) {
        m_titleText = text;
        m_titleWidth = fontMetrics().horizontalAdvance(text);
        m_titleLayout.setText(text);
        m_titleLayout.prepare(QTransform(), font());
    }
    return m_titleWidth;
}

void TfrmMain::PaintTime(TCustomControls *Sender, QPainter &Canvas)
{
    const QRect R = Sender->rect();
    CopyRect(Canvas, R, m_face.bmpFace, Sender->geometry());
    Canvas.setFont(m_timeFont);
    Canvas.setPen(DisplayGreen);
    Canvas.drawText(R, Qt::AlignHCenter | Qt::AlignTop, static_cast<TTextLable *>(Sender)->text());
}

QString TfrmMain::AboutText()
{
    // gst_version_string() reads "GStreamer 1.22.0": the numbers alone follow the name here.
    guint major = 0, minor = 0, micro = 0, nano = 0;
    gst_version(&major, &minor, &micro, &nano);
    const QString gstreamer = QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(micro);
    const QString version = QCoreApplication::applicationVersion().isEmpty() ? QStringLiteral(TESSARO_VERSION)
                                                                             : QCoreApplication::applicationVersion();
    return tr("<b>Tessaro %1</b><p>A compact player for audio, video and Flash movies.</p>"
              "<p>Qt %2, GStreamer %3</p>")
        .arg(version, QLatin1String(qVersion()), gstreamer);
}

void TfrmMain::mnuAboutClick()
{
    QMessageBox::about(this, tr("About Tessaro"), AboutText());
}

void TfrmMain::mnuExitClick()
{
    close();
}

void TfrmMain::FormShow()
{
    IniFileName = PreferencesFileName();
    const QList<QRect> screens = AvailableScreenAreas();

    // Each key defaults to the window's current value; the places are then
    // kept on a screen, so no stored value can lose a window or freeze the start.
    const QPoint mainStored(ReadIniInteger(WindowSection, QStringLiteral("Main.Left"), x()),
                            ReadIniInteger(WindowSection, QStringLiteral("Main.Top"), y()));
    move(PlaceOnScreen(mainStored, size(), size(), screens).topLeft());

    const QPoint listStored(ReadIniInteger(WindowSection, QStringLiteral("List.Left"), frmList->x()),
                            ReadIniInteger(WindowSection, QStringLiteral("List.Top"), frmList->y()));
    const QSize listSize(ReadIniInteger(WindowSection, QStringLiteral("List.Width"), frmList->width()),
                         ReadIniInteger(WindowSection, QStringLiteral("List.Height"), frmList->height()));
    const QRect listPlace = PlaceOnScreen(listStored, listSize, frmList->minimumSize(), screens);
    frmList->move(listPlace.topLeft());
    frmList->resize(listPlace.size());

    const QPoint playerStored(ReadIniInteger(WindowSection, QStringLiteral("Player.Left"), frmPlayer->x()),
                              ReadIniInteger(WindowSection, QStringLiteral("Player.Top"), frmPlayer->y()));
    frmPlayer->move(PlaceOnScreen(playerStored, frmPlayer->size(), frmPlayer->size(), screens).topLeft());

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
    // Only places the next start can show go out: a window the desktop moved
    // off every screen is written back onto one.
    const QList<QRect> screens = AvailableScreenAreas();
    const QPoint mainPlace = PlaceOnScreen(pos(), size(), size(), screens).topLeft();
    const QRect listPlace = PlaceOnScreen(frmList->pos(), frmList->size(), frmList->minimumSize(), screens);

    // One replace of the whole file: a shutdown cut short leaves the
    // preferences wholly as they were or wholly as written here.
    IniWriteBatch preferences(IniFileName);
    preferences.WriteIniInteger(WindowSection, QStringLiteral("Main.Left"), mainPlace.x());
    preferences.WriteIniInteger(WindowSection, QStringLiteral("Main.Top"), mainPlace.y());
    preferences.WriteIniInteger(WindowSection, QStringLiteral("List.Left"), listPlace.x());
    preferences.WriteIniInteger(WindowSection, QStringLiteral("List.Top"), listPlace.y());
    preferences.WriteIniInteger(WindowSection, QStringLiteral("List.Width"), listPlace.width());
    preferences.WriteIniInteger(WindowSection, QStringLiteral("List.Height"), listPlace.height());
    preferences.WriteIniBool(ShowSection, QStringLiteral("Player"), frmPlayer->isVisible());
    preferences.WriteIniBool(ShowSection, QStringLiteral("List"), frmList->isVisible());
    // A player closed maximised, minimised or full screen keeps the place it
    // had at an earlier exit.
    if (frmPlayer->isInNormalState()) {
        const QPoint playerPlace =
            PlaceOnScreen(frmPlayer->pos(), frmPlayer->size(), frmPlayer->size(), screens).topLeft();
        preferences.WriteIniInteger(WindowSection, QStringLiteral("Player.Left"), playerPlace.x());
        preferences.WriteIniInteger(WindowSection, QStringLiteral("Player.Top"), playerPlace.y());
    }
    preferences.Commit();
}
