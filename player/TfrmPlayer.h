#pragma once

#include <QString>
#include <QWidget>

// The idle caption of the player window.
extern const QString NoneMovie;

// The player window: an ordinary resizable window with a black client area in
// which video and movies appear.
class TfrmPlayer : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultLeft = 430;
    static constexpr int DefaultTop = 96;
    static constexpr int DefaultWidth = 328;
    static constexpr int DefaultHeight = 267;

    explicit TfrmPlayer(QWidget *parent = nullptr);

    void FormCreate();

    // Neither maximised, minimised nor full screen.
    bool isInNormalState() const;

    // The open-file dialog's filter, "desc|pattern|..." as the language file gives it.
    const QString &openFilter() const { return m_openFilter; }

private:
    QString m_openFilter = QStringLiteral("All Files(*.*)|*.*");
};

extern TfrmPlayer *frmPlayer;
