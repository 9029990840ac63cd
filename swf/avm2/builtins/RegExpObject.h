#pragma once

#include "swf/avm2/Object.h"
#include "swf/avm2/RegExpEngine.h"

#include <memory>
#include <vector>

namespace swf::avm2 {

class ArrayObject;

// A RegExp: its source text, flags, compiled program and lastIndex. A
// pattern that does not compile leaves no program and never matches.
class RegExpObject : public Object {
public:
    using Object::Object;

    QString source;
    RegExpFlags flags;
    std::shared_ptr<const RegExpProgram> program;
    int32_t lastIndex = 0;

    void compile(const QString &pattern, RegExpFlags newFlags);
    // Group count of the program, 0 when the pattern did not compile.
    int captureCount() const { return program ? program->captureCount() : 0; }
    // The first match at or after start, captures as RegExpProgram::exec fills them.
    bool find(const QString &subject, int start, std::vector<int> &captures) const;
    bool matchAt(const QString &subject, int start, std::vector<int> &captures) const;
    // "/source/flags".
    QString text() const;
};

// The flags a text such as "gim" names; other letters are ignored.
RegExpFlags ParseRegExpFlags(const QString &text);

// The object a value is when it is a RegExp, or nullptr.
inline RegExpObject *AsRegExp(const Value &v) { return dynamic_cast<RegExpObject *>(v.asObject()); }

// A pattern argument of the String methods: a RegExp, or a new one made from its text.
RegExpObject *ToRegExp(Runtime &rt, const Value &pattern);

// The exec() result for one match: the texts, index and input (and named groups).
ArrayObject *RegExpMatchArray(Runtime &rt, const RegExpObject &re, const QString &subject,
                              const std::vector<int> &captures);

// The text of group i of a match, or undefined when it did not take part.
Value RegExpCapture(const QString &subject, const std::vector<int> &captures, int group);

} // namespace swf::avm2
