#pragma once

#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

// Longest text a String method builds before the script is stopped.
constexpr int MaxTextLength = 1 << 28;

// The text a String method works on: this converted, as the methods are
// generic and may be moved onto any object.
QString ThisText(Runtime &rt, const Value &self);
// The ArgumentError the player throws when a method gets more arguments than it declares.
constexpr int ArgumentCountError = 1063;
void CheckArgCount(Runtime &rt, Args args, int most, const char *method);
// Stops the script when a text a method builds grows past MaxTextLength.
void CheckTextLength(qsizetype length);

// The methods that take a pattern (StringPatterns.cpp).
Value StringMatch(Runtime &rt, const Value &self, Args args);
Value StringReplace(Runtime &rt, const Value &self, Args args);
Value StringSearch(Runtime &rt, const Value &self, Args args);
Value StringSplit(Runtime &rt, const Value &self, Args args);

} // namespace swf::avm2
