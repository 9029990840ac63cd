#include "FieldEditing.h"

#include "swf/TextFieldState.h"
#include "swf/TextLayout.h"

namespace swf {

namespace {

// Key.getCode's numbers for the keys that edit.
constexpr int BackspaceKey = 8;
constexpr int EnterKey = 13;
constexpr int EndKey = 35;
constexpr int HomeKey = 36;
constexpr int LeftKey = 37;
constexpr int RightKey = 39;
constexpr int DeleteKey = 46;
constexpr char16_t ParagraphEnd = u'\r';

// The character at i of a restrict string, a backslash taking the next as it is.
QChar restrictChar(const QString &restrict, int &i)
{
    if (restrict[i] == u'\\' && i + 1 < restrict.size())
        ++i;
    return restrict[i];
}

QString allowedText(const TextFieldState &field, const QString &typed)
{
    QString out;
    for (const QChar c : typed)
        if (c.isPrint() && RestrictAllows(field.restrict(), c))
            out += c;
    return out;
}

FieldEdit replaceSelection(TextFieldState &field, QString text)
{
    const int begin = field.selectionBegin();
    const int end = field.selectionEnd();
    // Typing stops at maxChars, and at the most a field lays out.
    const int limit = field.maxChars() > 0 ? std::min(field.maxChars(), MaxFieldText) : MaxFieldText;
    text.truncate(std::max(limit - (int(field.text().size()) - (end - begin)), 0));
    if (text.isEmpty() && begin == end)
        return FieldEdit::None;
    field.replaceText(begin, end, text);
    const int caret = begin + int(text.size());
    field.setSelection(caret, caret);
    return FieldEdit::Changed;
}

// Backspace and Delete take the selection, or the character on their side of the caret.
FieldEdit remove(TextFieldState &field, int direction)
{
    if (field.selectionBegin() == field.selectionEnd()) {
        const int other = field.caret() + direction;
        if (other < 0 || other > int(field.text().size()))
            return FieldEdit::None;
        field.setSelection(field.caret(), other);
    }
    return replaceSelection(field, QString());
}

FieldEdit moveTo(TextFieldState &field, int index)
{
    field.setSelection(index, index);
    return FieldEdit::Moved;
}

// Left and Right step one character, or to the selection's end on their side.
int stepLeft(const TextFieldState &field)
{
    const bool selected = field.selectionBegin() < field.selectionEnd();
    return selected ? field.selectionBegin() : std::max(field.caret() - 1, 0);
}

int stepRight(const TextFieldState &field)
{
    const bool selected = field.selectionBegin() < field.selectionEnd();
    return selected ? field.selectionEnd() : std::min(field.caret() + 1, int(field.text().size()));
}

// Home and End go to the ends of the caret's paragraph.
int paragraphStart(const TextFieldState &field)
{
    const int caret = field.caret();
    return caret == 0 ? 0 : int(field.text().lastIndexOf(ParagraphEnd, caret - 1)) + 1;
}

int paragraphEnd(const TextFieldState &field)
{
    const int found = int(field.text().indexOf(ParagraphEnd, field.caret()));
    return found < 0 ? int(field.text().size()) : found;
}

} // namespace

bool RestrictAllows(const std::optional<QString> &restrict, QChar c)
{
    if (!restrict)
        return true;
    const QString &r = *restrict;
    bool allowed = r.startsWith(u'^');
    bool including = true;
    for (int i = 0; i < r.size(); ++i) {
        if (r[i] == u'^') {
            including = !including;
            continue;
        }
        const QChar from = restrictChar(r, i);
        QChar to = from;
        if (i + 2 < r.size() && r[i + 1] == u'-') {
            i += 2;
            to = restrictChar(r, i);
        }
        if (c >= from && c <= to)
            allowed = including;
    }
    return allowed;
}

FieldEdit EditField(TextFieldState &field, int code, const QString &typed)
{
    switch (code) {
    case BackspaceKey: return remove(field, -1);
    case DeleteKey: return remove(field, 1);
    case LeftKey: return moveTo(field, stepLeft(field));
    case RightKey: return moveTo(field, stepRight(field));
    case HomeKey: return moveTo(field, paragraphStart(field));
    case EndKey: return moveTo(field, paragraphEnd(field));
    case EnterKey:
        return field.flag(TextFieldState::Flag::Multiline) ? replaceSelection(field, QString(QChar(ParagraphEnd)))
                                                           : FieldEdit::None;
    default: break;
    }
    const QString text = allowedText(field, typed);
    return text.isEmpty() ? FieldEdit::None : replaceSelection(field, text);
}

} // namespace swf
