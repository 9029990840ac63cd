// flash.system.System: the memory the player takes, the host's clipboard,
// and whether loaded text is read in the host's code page.
#include "swf/avm2/builtins/System.h"
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/avm2/builtins/StaticState.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>

#include <unistd.h>

namespace swf::avm2 {

namespace {

const QString StateNamespace = QStringLiteral("flash.system.System");
const QString CodePageSlotName = QStringLiteral("useCodePage");
// The second field of the kernel's memory line for a process: its pages in memory.
constexpr int ResidentField = 1;
constexpr qint64 MemoryLineLimit = 256;

// The bytes of memory the player's process holds, as the kernel counts them.
double residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readLine(MemoryLineLimit).split(' ');
    const double pages = fields.size() > ResidentField ? fields[ResidentField].trimmed().toDouble() : 0;
    return pages * double(sysconf(_SC_PAGESIZE));
}

Value totalMemory(Runtime &, const Value &, Args)
{
    return Value::fromUint(uint32_t(std::min(residentBytes(), double(UINT32_MAX))));
}
Value totalMemoryNumber(Runtime &, const Value &, Args) { return Value::number(residentBytes()); }

// A movie may run under a plain QCoreApplication (a tool, a test): no
// clipboard then, and the text goes nowhere.
Value setClipboard(Runtime &rt, const Value &, Args args)
{
    const QString text = rt.toString(args[0]);
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QGuiApplication::clipboard()->setText(text);
    return Value();
}

Value &codePageSlot(Runtime &rt, const Value &self) { return StaticSlot(rt, self, StateNamespace, CodePageSlotName); }

Value getUseCodePage(Runtime &rt, const Value &self, Args) { return codePageSlot(rt, self); }
Value setUseCodePage(Runtime &rt, const Value &self, Args args)
{
    codePageSlot(rt, self) = Value(rt.toBoolean(args[0]));
    return Value();
}

void setup(Runtime &rt, Class *cls) { AddStaticSlot(rt, cls, StateNamespace, CodePageSlotName, Value(false)); }

} // namespace

bool UsesCodePage(Runtime &rt)
{
    Class *cls = rt.builtin("flash.system::System");
    return cls && rt.toBoolean(codePageSlot(rt, Value(static_cast<Object *>(cls))));
}

extern const NativeClass SystemClass = {
    "flash.system",
    "System",
    "Object",
    ClassFinal,
    nullptr,
    nullptr,
    nullptr,
    {
        {"totalMemory", MemberKind::Getter, totalMemory, 0, MemberStatic},
        {"totalMemoryNumber", MemberKind::Getter, totalMemoryNumber, 0, MemberStatic},
        {"setClipboard", MemberKind::Method, setClipboard, 1, MemberStatic},
        {"useCodePage", MemberKind::Getter, getUseCodePage, 0, MemberStatic},
        {"useCodePage", MemberKind::Setter, setUseCodePage, 0, MemberStatic},
    },
    {},
    setup,
    {},
};

} // namespace swf::avm2
