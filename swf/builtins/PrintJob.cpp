// PrintJob: printing from a movie. This player has no printer to offer, so
// start() answers false as when the user cancels the print dialog, and a
// job that never started adds no pages and sends nothing.
#include "BuiltinClass.h"
#include "Builtins.h"

namespace swf {

namespace {

Value construct(NativeCall &call) { return call.construct ? call.self : Value(Undefined{}); }
Value start(NativeCall &) { return false; }
Value addPage(NativeCall &) { return false; }
Value send(NativeCall &) { return Undefined{}; }
// The page and paper sizes are known only once a job started.
Value unknownSize(NativeCall &) { return Undefined{}; }

} // namespace

const ClassDecl PrintJobClass{
    "PrintJob",
    construct,
    {{"start", start, 7}, {"addPage", addPage, 7}, {"send", send, 7}},
    {},
    {},
    5,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {{"paperWidth", unknownSize, nullptr, 0},
     {"paperHeight", unknownSize, nullptr, 0},
     {"pageWidth", unknownSize, nullptr, 0},
     {"pageHeight", unknownSize, nullptr, 0},
     {"orientation", unknownSize, nullptr, 0}},
};

} // namespace swf
