#pragma once

#include "swf/Definitions.h"
#include "swf/TextLayout.h"
#include "swf/builtins/TextFormat.h"
#include "swf/script/Value.h"

#include <QString>

#include <algorithm>
#include <memory>
#include <optional>

namespace swf {

// A text field while the movie runs: its definition's settings as scripts
// changed them, and the text it holds. Fields placed from the movie start
// from their DefineEditText tag; fields made by createTextField from the
// reference player's defaults.
using SharedFormat = std::shared_ptr<const TextFormatValues>;

class TextFieldState {
public:
    enum class AutoSize { None, Left, Center, Right };

    explicit TextFieldState(const EditTextDef &definition);

    // What the renderer draws: the definition with the script's changes.
    const EditTextDef &look() const { return m_look; }
    // The text as drawn, in the markup look().html says.
    const QString &shown() const { return m_shown; }
    // Counts up with every change, so drawings made before can tell.
    quint64 revision() const { return m_revision; }

    // The text without markup; paragraphs end at a carriage return.
    const QString &text() const { return m_text; }
    void setText(const QString &text);
    // The text as the player's HTML: what a field that is not HTML holds is
    // its plain text.
    QString htmlText() const;
    // The movie's version decides where paragraphs end.
    void setHtmlText(const QString &html, int version = LatestVersion);
    // Replaces characters begin..end (clamped to the text) with text.
    void replaceText(int begin, int end, const QString &text);

    // The format characters begin..end share: what differs among them is
    // left out. Every property is set for a single character.
    TextFormatValues textFormat(int begin, int end) const;
    // Gives characters begin..end what the format sets.
    void setTextFormat(int begin, int end, const TextFormatValues &format);
    // What text the field is given from now on takes.
    const TextFormatValues &newTextFormat() const { return m_newFormat; }
    void setNewTextFormat(const TextFormatValues &format);
    // What the first character has becomes the new text format (as after
    // replaceText); an empty field keeps its own.
    void takeFirstFormatAsNew();

    bool html() const { return m_look.html; }
    void setHtml(bool html);

    QRectF bounds() const { return m_look.bounds; }
    void setSize(double width, double height);

    // Border and background each draw on their own; the definition has one flag for both.
    bool border() const { return m_border; }
    bool background() const { return m_background; }
    void setBorder(bool on);
    void setBackground(bool on);
    QRgb borderColor() const { return m_borderColor; }
    QRgb backgroundColor() const { return m_backgroundColor; }
    QRgb textColor() const { return m_look.color.rgb() & RgbMask; }
    void setBorderColor(QRgb rgb);
    void setBackgroundColor(QRgb rgb);
    void setTextColor(QRgb rgb);

    // The flags scripts set by name.
    enum class Flag { Multiline, WordWrap, Password, Selectable, EmbedFonts, Input };
    bool flag(Flag which) const;
    void setFlag(Flag which, bool on);

    AutoSize autoSize() const { return m_autoSize; }
    void setAutoSize(AutoSize mode) { m_autoSize = mode; }

    // 0: no limit.
    int maxChars() const { return m_look.maxLength; }
    void setMaxChars(int count) { m_look.maxLength = count; }

    // The script variable the field shows; empty when none.
    const QString &variable() const { return m_look.variable; }
    void setVariable(const QString &name) { m_look.variable = name; }

    // Characters input may type; none: any.
    const std::optional<QString> &restrict() const { return m_restrict; }
    void setRestrict(std::optional<QString> chars) { m_restrict = std::move(chars); }

    // Where typing goes, and the other end of the selection: the same
    // index when nothing is selected. Both stay within the text.
    int caret() const { return m_caret; }
    int anchor() const { return m_anchor; }
    int selectionBegin() const { return std::min(m_caret, m_anchor); }
    int selectionEnd() const { return std::max(m_caret, m_anchor); }
    void setSelection(int anchor, int caret);
    // While the field has the keyboard focus its caret blinks: shown is
    // the blink's phase.
    bool focused() const { return m_focused; }
    bool caretShown() const { return m_focused && m_caretShown; }
    void setFocused(bool focused);
    void setCaretShown(bool shown);

    // The lines scripts last measured (scroll, textWidth), and what they
    // were laid out from: a script reading them over and over lays the
    // text out once.
    struct MeasuredLines {
        quint64 revision = 0;
        QString shown;
        std::vector<TextLine> lines;
    };
    mutable std::optional<MeasuredLines> measured;

    bool condenseWhite = false;
    bool mouseWheelEnabled = true;
    // The StyleSheet object scripts gave the field (a script value the
    // engine's collector keeps).
    Value styleSheet;
    // The line at the top (from 1), and how many pixels the text is moved left.
    int scroll() const { return m_scroll; }
    int hscroll() const { return m_hscroll; }
    void setScroll(int line);
    void setHScroll(int pixels);

    static constexpr QRgb RgbMask = 0xFFFFFF;
    static constexpr int LatestVersion = 8;

private:
    void changed();
    // Takes the text and formats of the player's HTML.
    void takeHtml(const QString &html, int version = LatestVersion);
    // Gives characters begin..end what the format sets.
    void overlayRange(int begin, int end, const TextFormatValues &format);

    EditTextDef m_look;
    QString m_text;
    // One a character of m_text, each with every property set; runs of
    // characters share theirs.
    std::vector<SharedFormat> m_formats;
    TextFormatValues m_newFormat;
    QString m_shown;
    bool m_border = false;
    bool m_background = false;
    QRgb m_borderColor = 0;
    QRgb m_backgroundColor = RgbMask;
    AutoSize m_autoSize = AutoSize::None;
    std::optional<QString> m_restrict;
    quint64 m_revision = 0;
    int m_caret = 0, m_anchor = 0;
    int m_scroll = 1, m_hscroll = 0;
    bool m_focused = false, m_caretShown = false;
};

// The defaults of a field made by createTextField.
const EditTextDef &ScriptFieldDefinition();

} // namespace swf
