#pragma once

#include "swf/avm2/builtins/ByteArrayObject.h"
#include "swf/avm2/Runtime.h"

namespace swf::avm2 {

// The pieces of flash.utils.ByteArray shared by its files: ByteArray.cpp
// holds the class and the numbers, ByteArrayText.cpp texts,
// ByteArrayCompression.cpp compress and uncompress, ByteArrayAmf.cpp
// readObject and writeObject.
ByteArrayObject *ThisByteArray(Runtime &rt, const Value &self);

Value ByteArrayReadUTF(Runtime &rt, const Value &self, Args args);
Value ByteArrayReadUTFBytes(Runtime &rt, const Value &self, Args args);
Value ByteArrayWriteUTF(Runtime &rt, const Value &self, Args args);
Value ByteArrayWriteUTFBytes(Runtime &rt, const Value &self, Args args);
Value ByteArrayReadMultiByte(Runtime &rt, const Value &self, Args args);
Value ByteArrayWriteMultiByte(Runtime &rt, const Value &self, Args args);
Value ByteArrayToString(Runtime &rt, const Value &self, Args args);

Value ByteArrayReadObject(Runtime &rt, const Value &self, Args args);
Value ByteArrayWriteObject(Runtime &rt, const Value &self, Args args);

Value ByteArrayCompress(Runtime &rt, const Value &self, Args args);
Value ByteArrayUncompress(Runtime &rt, const Value &self, Args args);
Value ByteArrayDeflate(Runtime &rt, const Value &self, Args args);
Value ByteArrayInflate(Runtime &rt, const Value &self, Args args);

} // namespace swf::avm2
