#pragma once

#include <QWidget>

// The playlist window: borderless, resizable, with no task-bar entry of its own.
class TfrmList : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultLeft = 149;
    static constexpr int DefaultTop = 240;
    static constexpr int DefaultWidth = 270;
    static constexpr int DefaultHeight = 169;

    explicit TfrmList(QWidget *parent = nullptr);
    ~TfrmList() override;

    void FormCreate();
};

extern TfrmList *frmList;
