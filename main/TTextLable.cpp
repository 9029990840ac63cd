#include "TTextLable.h"

void TTextLable::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    repaint();
}
