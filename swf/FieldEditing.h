#pragma once

#include <QString>

#include <optional>

// What keys do to the input field that has the keyboard focus.
namespace swf {

class TextFieldState;

// Whether a field's restrict lets c be typed: characters and ranges such as
// A-Z, a ^ turning the characters after it into those kept out (a leading
// one lets everything else in), a backslash taking the next character as it
// is. No restrict lets everything in.
bool RestrictAllows(const std::optional<QString> &restrict, QChar c);

enum class FieldEdit { None, Moved, Changed };

// code: the key as Key.getCode knows it; typed: the text the key makes.
// Printable text replaces the selection (within restrict and maxChars),
// Backspace and Delete remove, Left, Right, Home and End move the caret,
// Enter breaks the line of a multiline field.
FieldEdit EditField(TextFieldState &field, int code, const QString &typed);

} // namespace swf
