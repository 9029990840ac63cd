#include "TfrmPlayer.h"

#include "skin/Language.h"
#include "skin/Settings.h"

#include <QPalette>

const QString NoneMovie = QStringLiteral("None Movie");
TfrmPlayer *frmPlayer = nullptr;

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

void TfrmPlayer::FormCreate()
{
    setWindowTitle(NoneMovie);
    ApplyPlayerLanguage(this, m_openFilter, LangName);
}

bool TfrmPlayer::isInNormalState() const
{
    return !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
}
