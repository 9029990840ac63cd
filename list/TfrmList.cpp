#include "TfrmList.h"

#include "list/TListBoxs.h"
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

TfrmList::~TfrmList()
{
    PlayListBox = nullptr;
}

void TfrmList::FormCreate()
{
    ApplyListLanguage(this, frmMain, LangName);
    PlayListBox = new TListBoxs(this);
    PlayListBox->setGeometry(rect());
}
