#pragma once

#include "swf/avm2/AbcFile.h"

#include <QString>

namespace swf::avm2 {

// A readable listing of an ABC block, for debugging: its classes with their
// traits, its scripts, and every method with its body's instructions,
// operands resolved (multinames as ns::name, strings quoted, branch targets
// as code offsets). Indices the instructions hold outside their pools are
// shown as such, never followed.
QString DisassembleAbc(const AbcFile &abc);

} // namespace swf::avm2
