#pragma once

#include "swf/script/ScriptObject.h"

#include <QByteArray>

#include <functional>

namespace swf {

class ScriptEngine;

// The members of a shared object's data in Action Message Format 0, the
// encoding the reference player stores them in: numbers, booleans, text,
// null, undefined, objects and arrays (each object once, later uses by
// reference, so cycles survive). Functions and clips are not data and are
// left out, as there.
namespace Amf0 {

// Encodes the enumerable members of DATA, each as name, value and a zero
// byte; stops and answers false once more than LIMIT bytes would be needed.
bool encodeMembers(const ScriptObject &data, qint64 limit, QByteArray &out);

// Reads members as encodeMembers writes them into DATA, making objects and
// arrays in the engine's heap; what cannot be read ends the reading, the
// members read so far kept.
void decodeMembers(ScriptEngine &engine, const QByteArray &bytes, ScriptObject &data);

// Makes a Date of milliseconds since 1970 (UTC) for a date read.
using DateMaker = std::function<Value(double ms)>;

// Reads the one value at the start of BYTES (an FLV file's metadata), dates
// made by DATE; an object cut short keeps the members read before the damage.
Value decodeValue(ScriptEngine &engine, const QByteArray &bytes, const DateMaker &date);

} // namespace Amf0

} // namespace swf
