#include "TfrmList.h"

#include "main/TfrmMain.h"
#include "skin/Language.h"
#include "skin/Settings.h"

TfrmList *frmList = nullptr;

TfrmList::TfrmList(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    setWindowTitle(QStringLiteral("Tessaro"));
    move(DefaultLeft, DefaultTop);
    resize(DefaultWidth, DefaultHeight);
    FormCreate();
}

void TfrmList::FormCreate()
{
    ApplyListLanguage(this, frmMain, LangName);
}
