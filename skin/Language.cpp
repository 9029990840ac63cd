#include "Language.h"

#include "skin/Settings.h"

#include <QAction>
#include <QWidget>

namespace {

void applyMenuCaption(QAction *item)
{
    const QString caption = ReadIniString(QStringLiteral("Menu"), item->objectName(), item->text());
    if (caption == QLatin1String("-")) {
        item->setSeparator(true);
    } else {
        item->setSeparator(false);
        item->setText(caption);
    }
}

// Menu captions, and with withHints the skinned buttons' hints, of every
// component the window owns, in the order it created them.
void applyToComponents(QObject *window, bool withHints)
{
    for (QObject *component : window->children()) {
        if (auto *item = qobject_cast<QAction *>(component)) {
            if (!item->objectName().isEmpty())
                applyMenuCaption(item);
        } else if (withHints && component->inherits("TGbtn")) {
            auto *button = static_cast<QWidget *>(component);
            button->setToolTip(ReadIniString(QStringLiteral("Button"), button->objectName(), QString()));
        }
    }
}

} // namespace

void ApplyListLanguage(QWidget *listWindow, QWidget *mainWindow, const QString &Language)
{
    if (Language.isEmpty())
        return;
    const IniFileScope languageFile(LanguageFileName(Language));

    QFont font = listWindow->font();
    font.setFamily(ReadIniString(QStringLiteral("Font"), QStringLiteral("Name"), font.family()));
    const int points = ReadIniInteger(QStringLiteral("Font"), QStringLiteral("Size"), font.pointSize());
    if (points >= MinFontPoints && points <= MaxFontPoints)
        font.setPointSize(points);
    listWindow->setFont(font);

    applyToComponents(listWindow, false);
    mainWindow->setFont(listWindow->font());
    applyToComponents(mainWindow, true);
}

void ApplyPlayerLanguage(QObject *playerWindow, QString &openFilter, const QString &Language)
{
    if (Language.isEmpty())
        return;
    const IniFileScope languageFile(LanguageFileName(Language));
    applyToComponents(playerWindow, false);
    openFilter = ReadIniString(QStringLiteral("String"), QStringLiteral("Filter"),
                               QStringLiteral("All Files(*.*)|*.*"));
}
