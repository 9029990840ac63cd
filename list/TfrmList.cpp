#include "TfrmList.h"

#include "list/FileDropFilter.h"
#include "list/ListGeometry.h"
#include "list/ListLayout.h"
#include "list/Playlist.h"
#include "list/TListBoxs.h"
#include "list/TScrbar.h"
#include "platform/WindowHints.h"
#include "player/TfrmPlayer.h"
#include "resources/Art.h"
#include "skin/Language.h"
#include "skin/Settings.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

TfrmList *frmList = nullptr;
TScrbar *ListScrbar = nullptr;

namespace {
const QColor MenuBarColor(0, 128, 255);
const QColor ListColor(181, 218, 255);

Qt::CursorShape cursorFor(HitCode code)
{
    switch (code) {
    case HitLeft:
    case HitRight: return Qt::SizeHorCursor;
    case HitTop:
    case HitBottom: return Qt::SizeVerCursor;
    case HitTopLeft:
    case HitBottomRight: return Qt::SizeFDiagCursor;
    case HitTopRight:
    case HitBottomLeft: return Qt::SizeBDiagCursor;
    case Inside: break;
    }
    return Qt::ArrowCursor;
}
} // namespace

TfrmList::TfrmList(QWidget *panel, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
    , m_panel(panel)
{
    setWindowTitle(QStringLiteral("Tessaro Playlist"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    new FileDropFilter(this);
    move(DefaultLeft, DefaultTop);
    setMinimumSize(MinimumWidth, MinimumHeight);
    resize(DefaultWidth, DefaultHeight);
    CreateMenu();
    FormCreate();
}

TfrmList::~TfrmList()
{
    if (!m_keepDefaultPlaylist || Items.count() > 0)
        SaveDefaultPlaylist();
    ClearList();
    // The list goes before the entries it shows.
    delete PlayListBox;
    PlayListBox = nullptr;
    PlayListItems = nullptr;
    ListScrbar = nullptr;
}

void TfrmList::CreateMenu()
{
    MainMenu = new QMenu(this);
    const auto item = [this](const char *name, QMenu *menu) {
        auto *action = new QAction(this);
        action->setObjectName(QLatin1String(name));
        menu->addAction(action);
        return action;
    };
    const auto topLevel = [this, &item](const char *name) {
        QAction *action = item(name, MainMenu);
        action->setMenu(new QMenu(this));
        return action;
    };
    AddMenu = topLevel("AddMenu");
    mnuAddFile = item("mnuAddFile", AddMenu->menu());
    mnuAddDir = item("mnuAddDir", AddMenu->menu());
    RemoveMenu = topLevel("RemoveMenu");
    mnuRemove = item("mnuRemove", RemoveMenu->menu());
    mnuClear = item("mnuClear", RemoveMenu->menu());
    ListMenu = topLevel("ListMenu");
    mnuAddList = item("mnuAddList", ListMenu->menu());
    mnuLoad = item("mnuLoad", ListMenu->menu());
    mnuSave = item("mnuSave", ListMenu->menu());
    mnuTrim = item("mnuTrim", ListMenu->menu());
    OthMenu = topLevel("OthMenu");
    mnuSort = item("mnuSort", OthMenu->menu());
    mnuSort->setCheckable(true);
    mnuSelAll = item("mnuSelAll", OthMenu->menu());

    connect(mnuAddFile, &QAction::triggered, this, &TfrmList::mnuAddFileClick);
    connect(mnuAddDir, &QAction::triggered, this, &TfrmList::mnuAddDirClick);
    connect(mnuRemove, &QAction::triggered, this, [] { RemoveEntries(PlayListBox->selectedRows()); });
    connect(mnuClear, &QAction::triggered, this, [] { ClearList(); });
    connect(mnuAddList, &QAction::triggered, this, &TfrmList::mnuAddListClick);
    connect(mnuLoad, &QAction::triggered, this, &TfrmList::mnuLoadClick);
    connect(mnuSave, &QAction::triggered, this, &TfrmList::mnuSaveClick);
    connect(mnuTrim, &QAction::triggered, this, [] { TrimList(); });
    connect(mnuSort, &QAction::triggered, this, &TfrmList::mnuSortClick);
    connect(mnuSelAll, &QAction::triggered, this, [] { PlayListBox->selectAll(); });
}

void TfrmList::FormCreate()
{
    ApplyListLanguage(this, m_panel, LangName);

    ListSkin = LoadArt(QStringLiteral("listskin"), ScreenPixelRatio());

    Skin.TitleHeight = ListLayout::TitleHeight;
    Skin.BorderSize = ListLayout::BorderSize;
    ListSkinRects = CalcFrameRects({0, 0, ListLayout::SkinWidth, ListLayout::SkinHeight});

    PlayListItems = &Items;
    PlayListBox = new TListBoxs(this, Items);
    QPalette colours = PlayListBox->palette();
    colours.setColor(QPalette::Base, ListColor);
    PlayListBox->setPalette(colours);
    PlayListBox->setFont(font());

    ListScrbar = new TScrbar(this, ListSkin);
    ListScrbar->resize(ListLayout::ScrollBarWidth, ListScrbar->height());
    ListScrbar->OnTrack = [this](int Y) { ScrollTrack(Y); };
    PlayListBox->setScrollBar(ListScrbar);
    connect(PlayListBox, &TListBoxs::scrollBarShownChanged, this, &TfrmList::LayoutChildren);

    BuildMenuBar();
    LayoutChildren();
    m_keepDefaultPlaylist = !LoadDefaultPlaylist();
}

void TfrmList::BuildMenuBar()
{
    MenuBar = new QToolBar(this);
    MenuBar->setMovable(false);
    MenuBar->setFloatable(false);
    MenuBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    MenuBar->setStyleSheet(QStringLiteral("QToolBar { background: %1; border: none; padding: 0; spacing: 0; }"
                                          "QToolButton { color: white; border: none; padding: 1px 6px; }"
                                          "QToolButton:hover, QToolButton:pressed { background: #3b93ff; }"
                                          "QToolButton::menu-indicator { image: none; width: 0; }")
                               .arg(MenuBarColor.name()));
    for (QAction *top : {AddMenu, RemoveMenu, ListMenu, OthMenu}) {
        auto *button = new QToolButton(MenuBar);
        button->setDefaultAction(top);
        button->setPopupMode(QToolButton::InstantPopup);
        button->setFixedHeight(ListLayout::MenuBarHeight);
        MenuBar->addWidget(button);
    }
}

void TfrmList::LayoutChildren()
{
    const ListLayoutRects r =
        LayoutList(size(), Skin.TitleHeight, Skin.BorderSize, ListScrbar && ListScrbar->isVisibleTo(this));
    if (MenuBar)
        MenuBar->setGeometry(r.menuBar);
    if (ListScrbar)
        ListScrbar->setGeometry(r.scrollBar);
    if (PlayListBox)
        PlayListBox->setGeometry(r.list);
}

void TfrmList::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const TFrameRects target = CalcFrameRects({0, 0, width(), height()});
    for (int piece = 0; piece < FramePieceCount; ++piece)
        CopyRect(painter, target[size_t(piece)].toQRect(), ListSkin, ListSkinRects[size_t(piece)].toQRect());
}

void TfrmList::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    LayoutChildren();
    repaint();
    PlayListBox->viewport()->repaint();
    SnapToMain();
}

void TfrmList::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    SnapToMain();
}

void TfrmList::SnapToMain()
{
    if (m_snapping || !m_panel || !m_panel->isVisible())
        return;
    const QPoint snapped = SnapToPanel(pos(), m_panel->geometry());
    if (snapped == pos())
        return;
    m_snapping = true;
    move(snapped);
    m_snapping = false;
}

void TfrmList::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    if (HitsCloseBox(p, width(), Skin.TitleHeight)) {
        close();
        return;
    }
    const Qt::Edges edges = EdgesOf(HitTest(p, size(), Skin.BorderSize));
    // The desktop resizes the window where it can; elsewhere (no window
    // manager) the window resizes itself from the pointer.
    if (edges && windowHandle() && windowHandle()->startSystemResize(edges))
        return;
    m_drag = FrameDrag{edges, event->globalPosition().toPoint(), geometry()};
}

void TfrmList::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_drag) {
        setCursor(cursorFor(HitTest(event->position().toPoint(), size(), Skin.BorderSize)));
        return;
    }
    const QPoint delta = event->globalPosition().toPoint() - m_drag->pressGlobal;
    QRect g = m_drag->startGeometry;
    if (!m_drag->edges) {
        move(g.topLeft() + delta);
        return;
    }
    if (m_drag->edges & Qt::LeftEdge)
        g.setLeft(std::min(g.left() + delta.x(), g.right() - minimumWidth()));
    if (m_drag->edges & Qt::RightEdge)
        g.setRight(g.right() + delta.x());
    if (m_drag->edges & Qt::TopEdge)
        g.setTop(std::min(g.top() + delta.y(), g.bottom() - minimumHeight()));
    if (m_drag->edges & Qt::BottomEdge)
        g.setBottom(g.bottom() + delta.y());
    setGeometry(g);
}

void TfrmList::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_drag.reset();
    QWidget::mouseReleaseEvent(event);
}

void TfrmList::setVisible(bool visible)
{
    if (visible && !isVisible())
        SetSkipTaskbar(this);
    QWidget::setVisible(visible);
}

void TfrmList::ScrollTrack(int Y)
{
    const int hidden = HiddenEntries(Items.count(), PlayListBox->height(), PlayListBox->itemHeight());
    PlayListBox->setTopIndex(TopIndexForTrack(Y, ListScrbar->height(), hidden));
}

void TfrmList::mnuAddFileClick()
{
    OpenDlg->FilterIndex = 1;
    if (OpenDlg->Execute())
        AddFiles(OpenDlg->Files);
}

void TfrmList::mnuAddDirClick()
{
    if (BrowseDialog.Execute())
        AddFolder(BrowseDialog.Directory);
}

void TfrmList::mnuAddListClick()
{
    OpenDlg->FilterIndex = 2;
    if (OpenDlg->Execute())
        AddList(OpenDlg->FileName);
}

void TfrmList::mnuLoadClick()
{
    OpenDlg->FilterIndex = 2;
    if (OpenDlg->Execute())
        LoadList(OpenDlg->FileName);
}

void TfrmList::mnuSaveClick()
{
    SaveDialog.Filter = OpenDlg->Filter;
    SaveDialog.FilterIndex = 2;
    if (SaveDialog.Execute())
        SaveList(SaveDialog.FileName);
}

void TfrmList::mnuSortClick()
{
    // Triggering the checkable item has inverted its check mark already.
    Items.setSorted(mnuSort->isChecked());
}
