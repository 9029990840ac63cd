#pragma once

#include <QIcon>
#include <QObject>

#include <optional>

class QSystemTrayIcon;

// An icon in the desktop's notification area: shown and removed by the
// program, reporting left and right clicks. Where the desktop has none, it is
// never shown.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject *parent = nullptr);
    ~TrayIcon() override;

    static bool available();
    // Tests choose whether a notification area exists.
    static void setAvailableForTesting(std::optional<bool> available);

    // False when there is no notification area.
    bool show(const QIcon &icon, const QString &tip);
    void remove();
    bool shown() const { return m_shown; }
    QString tip() const { return m_tip; }

signals:
    void leftClicked();
    void rightClicked();

private:
    QSystemTrayIcon *m_icon = nullptr;
    bool m_shown = false;
    QString m_tip;
};
