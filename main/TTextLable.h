#pragma once

#include "skin/TCustomControls.h"

// A text field drawn by its owner through OnPaint; a changed text repaints it
// with the window's next paint.
class TTextLable : public TCustomControls {
    Q_OBJECT
public:
    using TCustomControls::TCustomControls;

    const QString &text() const { return m_text; }
    void setText(const QString &text);
    // As setText, repainting only the part changed (in the label's pixels),
    // which the owner knows from the way it draws the text.
    void setText(const QString &text, const QRect &changed);

private:
    QString m_text;
};
