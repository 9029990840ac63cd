#include "TrayIcon.h"

#include <QSystemTrayIcon>

namespace {
std::optional<bool> &forcedAvailability()
{
    static std::optional<bool> forced;
    return forced;
}
} // namespace

TrayIcon::TrayIcon(QObject *parent)
    : QObject(parent)
{
}

TrayIcon::~TrayIcon()
{
    remove();
}

bool TrayIcon::available()
{
    return forcedAvailability().value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

void TrayIcon::setAvailableForTesting(std::optional<bool> available)
{
    forcedAvailability() = available;
}

bool TrayIcon::show(const QIcon &icon, const QString &tip)
{
    if (!available())
        return false;
    if (!m_icon) {
        m_icon = new QSystemTrayIcon(this);
        connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger)
                emit leftClicked();
            else if (reason == QSystemTrayIcon::Context)
                emit rightClicked();
        });
    }
    m_icon->setIcon(icon);
    m_icon->setToolTip(tip);
    m_icon->show();
    m_tip = tip;
    m_shown = true;
    return true;
}

void TrayIcon::remove()
{
    if (m_icon)
        m_icon->hide();
    m_shown = false;
}
