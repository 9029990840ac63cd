#pragma once

#include <QObject>
#include <QString>

// The caption of the player window, and the panel's title, while nothing plays.
extern const QString NoneMovie;

// The item that plays: its path, or none. The player sets it when an item
// starts and clears it when playback stops; the key filter, the panel and the
// player's menu read it, and the player window's caption follows it.
class PlayingItem : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool isNone() const { return m_path.isEmpty(); }
    const QString &path() const { return m_path; }
    // The path, or NoneMovie when nothing plays.
    QString caption() const { return isNone() ? NoneMovie : m_path; }

    void set(const QString &path);
    void clear() { set(QString()); }

signals:
    // The path (empty for none) after every change, never for the same value.
    void changed(const QString &path);

private:
    QString m_path;
};
