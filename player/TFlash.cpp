#include "TFlash.h"

#include "player/MovieSoundOutput.h"
#include "player/TfrmPlayer.h"
#include "player/Transport.h"
#include "skin/Settings.h"

#include <QAction>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

TFlash *Flash = nullptr;

namespace {
const QString SharedObjectFolder = QStringLiteral("shared-objects");
}
int LastFrame = 0;

TFlash::TFlash(QWidget *AOwner)
    : QWidget(AOwner)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    m_control.setSoundOutput(MovieSoundOutput::factory());
    // Movies keep their shared objects with the program's other files.
    if (!AppPath.isEmpty())
        m_control.setSharedObjectFolder(AppPath + SharedObjectFolder);
    connect(&m_control, &swf::FlashControl::changed, this, qOverload<>(&QWidget::update));
    connect(&m_control, &swf::FlashControl::FSCommand, this, &TFlash::FlashFSCommand);
    connect(&m_control, &swf::FlashControl::pointerShown, this,
            [this](bool shown) { shown ? unsetCursor() : setCursor(Qt::BlankCursor); });
}

void TFlash::FlashFSCommand(const QString &, const QString &)
{
    if (TotalFrames() > CurrentFrame() && !Playing() && frmPlayer && frmPlayer->mnuAutoSkip->isChecked() &&
        FrameNum() + 1 < TotalFrames())
        GotoFrame(FrameNum() + 1);
}

void TFlash::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_control.paint(painter, rect());
}

void TFlash::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        emit popupRequested(QCursor::pos());
        return;
    }
    if (event->button() == Qt::LeftButton)
        m_control.pointerPress(event->position(), rect());
}

void TFlash::mouseMoveEvent(QMouseEvent *event)
{
    m_control.pointerMove(event->position(), rect());
}

void TFlash::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_control.pointerRelease(event->position(), rect());
}

void TFlash::keyPressEvent(QKeyEvent *event)
{
    // A held key repeats its press, as movies expect.
    m_control.keyPress(Qt::Key(event->key()), event->text());
}

void TFlash::keyReleaseEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat())
        m_control.keyRelease(Qt::Key(event->key()));
}

void Jump(bool back)
{
    if (Flash->FrameNum() < 0)
        return;
    LastFrame = JumpFrame(Flash->FrameNum(), Flash->TotalFrames(), back);
    Flash->GotoFrame(LastFrame);
}
