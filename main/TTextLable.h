#pragma once

#include "skin/TCustomControls.h"

// A text field drawn by its owner through OnPaint; a changed text repaints it at once.
class TTextLable : public TCustomControls {
    Q_OBJECT
public:
    using TCustomControls::TCustomControls;

    const QString &text() const { return m_text; }
    void setText(const QString &text);

private:
    QString m_text;
};
