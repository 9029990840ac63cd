#pragma once

#include "swf/builtins/TextFormat.h"

#include <QString>

#include <memory>
#include <vector>

namespace swf {

// Text as HTML writes it: <, >, & and " as their entities.
QString EscapeHtml(QStringView text);

// The player's HTML for a field's text with a format a character, as
// htmlText reads it: each paragraph a <P ALIGN> or <LI> (in a <TEXTFORMAT>
// when it has margins), a <FONT> with every font attribute, nested <FONT>s
// naming what changes, and <A>, <B>, <I>, <U> around each run. An empty
// paragraph takes fallback's format when no character gives it one.
QString WriteFieldHtml(const QString &text, const std::vector<std::shared_ptr<const TextFormatValues>> &formats,
                       const TextFormatValues &fallback);

} // namespace swf
