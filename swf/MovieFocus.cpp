// The keyboard focus of a running movie: which clip or text field has it,
// what moving it tells scripts, and what keys typed into an input field do.
#include "MoviePlayer.h"

#include "swf/FieldEditing.h"
#include "swf/FieldFonts.h"
#include "swf/TextFieldState.h"

#include <cmath>

namespace swf {

namespace {

constexpr double TwipsPerPixel = 20;

Value valueOf(DisplayObject *object) { return object ? Value(refTo(object)) : Value(Null{}); }

bool takesFocus(const TextFieldState &field)
{
    return field.flag(TextFieldState::Flag::Input) || field.flag(TextFieldState::Flag::Selectable);
}

// A bound field edits what its variable holds: the field takes it first, its caret kept.
void takeBoundText(MoviePlayer &player, DisplayObject &field)
{
    TextFieldState &state = *field.textField;
    if (const std::optional<QString> bound = player.boundText(field); bound && *bound != state.text()) {
        const int caret = state.caret();
        state.setText(*bound);
        state.setSelection(caret, caret);
    }
}

// Typing scrolls the field so that its caret shows.
void keepCaretInView(MoviePlayer &player, DisplayObject &field)
{
    TextFieldState &state = *field.textField;
    FieldFonts fonts(player.movieOf(field));
    const std::vector<TextLine> lines =
        state.shown().isEmpty() ? std::vector<TextLine>() : LayoutField(fonts, state.look(), state.shown());
    const CaretPlace place = PlaceCaret(lines, state.caret(), fonts);
    if (!place.line) {
        state.setScroll(1);
        state.setHScroll(0);
        return;
    }
    const QRectF bounds = state.bounds();
    const double left = bounds.left() + FieldGutter;
    const double right = bounds.right() - FieldGutter;
    const double shifted = place.x - state.hscroll() * TwipsPerPixel;
    if (shifted > right)
        state.setHScroll(int(std::ceil((place.x - right) / TwipsPerPixel)));
    else if (shifted < left)
        state.setHScroll(std::max(0, int(std::floor((place.x - left) / TwipsPerPixel))));
    const int line = int(place.line - lines.data()) + 1;
    int top = std::min(state.scroll(), line);
    while (top < line && BottomLine(lines, bounds, top) < line)
        ++top;
    if (top != state.scroll())
        state.setScroll(top);
}

} // namespace

void MoviePlayer::setFocus(DisplayObject *object)
{
    DisplayObject *old = m_focus.get();
    if (old == object)
        return;
    if (old && old->textField)
        old->textField->setFocused(false);
    m_focus.set(object);
    if (TextFieldState *field = object ? object->textField.get() : nullptr) {
        field->setFocused(true);
        field->setSelection(0, int(field->text().size()));
    }
    m_changed = true;
    Tracked was, now;
    was.set(old);
    now.set(object);
    QueuedActions entry{&m_root, m_root.alive, {}};
    entry.native = [this, was, now](ScriptContext &cx) {
        const Value oldValue = valueOf(was.get());
        const Value newValue = valueOf(now.get());
        if (was.get())
            cx.callMethod(oldValue, QStringLiteral("onKillFocus"), {newValue});
        if (now.get())
            cx.callMethod(newValue, QStringLiteral("onSetFocus"), {oldValue});
        const Value selection = cx.getMember(m_script.global(), QStringLiteral("Selection"));
        cx.callMethod(selection, QStringLiteral("broadcastMessage"), {QStringLiteral("onSetFocus"), oldValue, newValue});
    };
    m_queue.push_back(std::move(entry));
}

DisplayObject *MoviePlayer::focusableFieldAt(DisplayObject &clip, const QPointF &point, const QTransform &toStage,
                                             QTransform &fieldToStage, int nesting)
{
    if (nesting >= MaxNesting)
        return nullptr;
    for (auto it = clip.children.rbegin(); it != clip.children.rend(); ++it) {
        DisplayObject &child = *it->second;
        if (!child.visible)
            continue;
        const QTransform childToStage = child.matrix * toStage;
        if (child.textField) {
            if (takesFocus(*child.textField) && childToStage.mapRect(child.textField->bounds()).contains(point)) {
                fieldToStage = childToStage;
                return &child;
            }
        } else if (DisplayObject *found = focusableFieldAt(child, point, childToStage, fieldToStage, nesting + 1)) {
            return found;
        }
    }
    return nullptr;
}

void MoviePlayer::focusFieldAt(const QPointF &stage)
{
    QTransform fieldToStage;
    DisplayObject *field = focusableFieldAt(m_root, stage, QTransform(), fieldToStage);
    if (!field) {
        if (DisplayObject *focused = m_focus.get(); focused && focused->textField)
            setFocus(nullptr);
        return;
    }
    setFocus(field);
    takeBoundText(*this, *field);
    TextFieldState &state = *field->textField;
    FieldFonts fonts(movieOf(*field));
    const std::vector<TextLine> lines =
        state.shown().isEmpty() ? std::vector<TextLine>() : LayoutField(fonts, state.look(), state.shown());
    const QPointF inField = fieldToStage.inverted().map(stage) + ScrollOffset(lines, state.scroll(), state.hscroll());
    const int caret = std::min(CaretIndexAt(lines, inField, fonts), int(state.text().size()));
    state.setSelection(caret, caret);
}

void MoviePlayer::typeIntoFocus(int code, const QString &text)
{
    DisplayObject *field = m_focus.get();
    TextFieldState *state = field ? field->textField.get() : nullptr;
    if (!state || !state->flag(TextFieldState::Flag::Input))
        return;
    takeBoundText(*this, *field);
    const FieldEdit edit = EditField(*state, code, text);
    if (edit == FieldEdit::None)
        return;
    keepCaretInView(*this, *field);
    // Typing shows the caret at once, the blink starting over.
    state->setCaretShown(true);
    m_changed = true;
    if (edit == FieldEdit::Changed) {
        writeBoundVariable(*field, state->text());
        queueChanged(*field);
    }
    runQueue();
}

void MoviePlayer::queueChanged(DisplayObject &field)
{
    Tracked changed;
    changed.set(&field);
    QueuedActions entry{&m_root, m_root.alive, {}};
    entry.native = [changed](ScriptContext &cx) {
        if (!changed.get())
            return;
        const Value self = refTo(changed.get());
        cx.callMethod(self, QStringLiteral("onChanged"), {self});
        cx.callMethod(self, QStringLiteral("broadcastMessage"), {QStringLiteral("onChanged"), self});
    };
    m_queue.push_back(std::move(entry));
}

} // namespace swf
