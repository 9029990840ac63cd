// libFuzzer target for the ActionScript 3 engine: reads the input as an ABC
// block, runs its last script as a movie's DoABC tag would, looks up every
// name the other scripts define (which runs them), then collects garbage.
// The fuzzing build gives each entry a small instruction budget
// (TESSARO_FUZZ_ENTRY_BUDGET), so endless loops end quickly.
#include "swf/avm2/AbcFile.h"
#include "swf/avm2/Runtime.h"

#include <cstdint>

namespace {

// Runs the scripts defining each name of the block's scripts.
void lookUpDefinitions(swf::avm2::Runtime &rt, const swf::avm2::AbcFile &abc)
{
    for (const swf::avm2::AbcScript &script : abc.scripts)
        for (const swf::avm2::AbcTrait &trait : script.traits) {
            const swf::avm2::AbcMultiname &name = abc.multinames[trait.name];
            rt.runEntry([&] {
                swf::avm2::Object *global = nullptr;
                rt.lookupGlobal(rt.publicName(abc.strings[name.name]), global);
            });
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const std::optional<swf::avm2::AbcFile> abc = swf::avm2::ReadAbc(bytes);
    if (!abc)
        return 0;
    swf::avm2::Runtime rt;
    rt.onTrace = [](const QString &) {};
    rt.loadAbc(bytes, false);
    lookUpDefinitions(rt, *abc);
    rt.collect([](const swf::avm2::Marker &) {});
    return 0;
}
