#include "TTextLable.h"

void TTextLable::setText(const QString &text)
{
    setText(text, rect());
}

void TTextLable::setText(const QString &text, const QRect &changed)
{
    if (text == m_text)
        return;
    m_text = text;
    update(changed);
}
