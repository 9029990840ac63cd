#pragma once

#include <QWidget>

// The main window: the borderless control panel. Closing it ends the program.
class TfrmMain : public QWidget {
    Q_OBJECT
public:
    static constexpr int PanelWidth = 268;
    static constexpr int PanelHeight = 118;
    static constexpr int DefaultLeft = 150;
    static constexpr int DefaultTop = 94;

    explicit TfrmMain(QWidget *parent = nullptr);

    // Restores the places of all three windows from the preferences and shows
    // the playlist and player windows that were open at the last exit.
    void FormShow();
    // Writes the places and visibility of the three windows to the preferences.
    void FormCloseQuery();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
};

extern TfrmMain *frmMain;
