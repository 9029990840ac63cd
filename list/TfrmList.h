#pragma once

#include "dialog/TBrowseDialog.h"
#include "list/PlaylistModel.h"
#include "platform/FileDialogs.h"
#include "skin/Skin.h"

#include <QPixmap>
#include <QWidget>

#include <optional>

class QAction;
class QMenu;
class QToolBar;
class TScrbar;

// The playlist window: borderless and resizable, with no task-bar entry of
// its own. It draws its frame from a built-in bitmap, offers the playlist
// commands through a tool bar of drop-down menus, moves by its frame, resizes
// from its edges, and snaps to the panel.
class TfrmList : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultLeft = 149;
    static constexpr int DefaultTop = 240;
    static constexpr int DefaultWidth = 270;
    static constexpr int DefaultHeight = 169;
    // The smallest window that still shows its frame's corners, the tool bar
    // and a row of the list; restored places and resizing keep to it.
    static constexpr int MinimumWidth = 100;
    static constexpr int MinimumHeight = 80;

    // panel is the window the playlist window snaps to and takes its
    // language font from (the control panel); it outlives this window.
    explicit TfrmList(QWidget *panel, QWidget *parent = nullptr);
    ~TfrmList() override;

    // The scroll bar's track handler: scrolls the list to follow the pointer.
    void ScrollTrack(int Y);
    // Each show keeps the window off the task bar: the desktop forgets that
    // state whenever the window hides.
    void setVisible(bool visible) override;

    void mnuAddFileClick();
    void mnuAddDirClick();
    void mnuAddListClick();
    void mnuLoadClick();
    void mnuSaveClick();
    void mnuSortClick();

    QMenu *MainMenu = nullptr;
    QAction *AddMenu = nullptr;
    QAction *mnuAddFile = nullptr;
    QAction *mnuAddDir = nullptr;
    QAction *RemoveMenu = nullptr;
    QAction *mnuRemove = nullptr;
    QAction *mnuClear = nullptr;
    QAction *ListMenu = nullptr;
    QAction *mnuAddList = nullptr;
    QAction *mnuLoad = nullptr;
    QAction *mnuSave = nullptr;
    QAction *mnuTrim = nullptr;
    QAction *OthMenu = nullptr;
    QAction *mnuSort = nullptr;
    QAction *mnuSelAll = nullptr;
    QToolBar *MenuBar = nullptr;
    TBrowseDialog BrowseDialog;
    TSaveDialog SaveDialog;
    QPixmap ListSkin;
    TFrameRects ListSkinRects{};
    // The playlist's entries, which PlayListBox shows (PlayListItems points here).
    PlaylistModel Items;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void CreateMenu();
    void FormCreate();
    void BuildMenuBar();
    void LayoutChildren();
    void SnapToMain();

    // A drag of the frame: moving (no edges) or resizing from the given edges.
    struct FrameDrag {
        Qt::Edges edges;
        QPoint pressGlobal;
        QRect startGeometry;
    };
    std::optional<FrameDrag> m_drag;
    QWidget *m_panel = nullptr;
    bool m_snapping = false;
    // A default playlist that existed but could not be read is not
    // overwritten by an empty one at exit.
    bool m_keepDefaultPlaylist = false;
};

extern TfrmList *frmList;
extern TScrbar *ListScrbar;
