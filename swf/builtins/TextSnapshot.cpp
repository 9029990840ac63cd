// TextSnapshot: the static text a clip shows, character by character, as
// MovieClip.getTextSnapshot takes it: to search, read and select.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/DisplayObject.h"
#include "swf/MoviePlayer.h"
#include "swf/script/ScriptEngine.h"

#include <QLineF>

#include <climits>

namespace swf {

namespace {

// What getSelectedText and getText put between lines when asked to.
const QString LineEnding = QStringLiteral("\n");
// The colour selected characters are drawn in until setSelectColor.
constexpr double DefaultSelectColor = 0xFFFF00;
constexpr double TwipsPerPixel = 20;
constexpr uint32_t RgbMask = 0xFFFFFF;
// Where setup keeps the class's prototype, which clips' snapshots inherit.
const QString PrototypeKey = QStringLiteral("TextSnapshot.prototype");
// Most characters a snapshot takes from a clip.
constexpr int MaxSnapshotText = 65536;

// One character of static text, where the clip shows it.
struct SnapshotCharacter {
    QChar code;
    QPointF origin; // pixels, in the clip's space
    QString font;
    double color = 0;
    double height = 0;
    bool lineStart = false;
    bool selected = false;
};

struct SnapshotPayload : NativePayload {
    std::vector<SnapshotCharacter> characters;
    double selectColor = DefaultSelectColor;
};

void addRecords(const MovieDef &movie, const TextDef &text, const QTransform &place,
                std::vector<SnapshotCharacter> &characters)
{
    const QTransform toClip = text.matrix * place;
    for (const TextRecord &record : text.records) {
        const auto *font = dynamic_cast<const FontDef *>(movie.character(record.fontId));
        double x = record.x;
        bool first = true;
        for (const GlyphEntry &glyph : record.glyphs) {
            if (int(characters.size()) >= MaxSnapshotText)
                return;
            const bool known = font && glyph.index >= 0 && glyph.index < int(font->codes.size());
            SnapshotCharacter c;
            c.code = known ? QChar(font->codes[size_t(glyph.index)]) : QChar();
            c.origin = toClip.map(QPointF(x, record.y)) / TwipsPerPixel;
            c.font = font ? font->name : QString();
            c.color = double(record.color.rgb() & RgbMask);
            c.height = record.height / TwipsPerPixel;
            c.lineStart = first;
            characters.push_back(c);
            x += glyph.advance;
            first = false;
        }
    }
}

// The static text among the clip's children, lowest depth first.
std::vector<SnapshotCharacter> charactersOf(const MovieDef *movie, const DisplayObject *clip)
{
    std::vector<SnapshotCharacter> characters;
    if (!movie || !clip)
        return characters;
    for (const auto &[depth, child] : clip->children)
        if (const auto *text = dynamic_cast<const TextDef *>(child->character))
            addRecords(*movie, *text, child->matrix, characters);
    return characters;
}

SnapshotPayload *snapshotOf(NativeCall &call)
{
    ScriptObject *object = call.object();
    return object ? object->payloadAs<SnapshotPayload>() : nullptr;
}

// A range of characters as the arguments give it, within the text.
std::pair<int, int> rangeOf(NativeCall &call, const SnapshotPayload &snapshot, size_t first)
{
    const int count = int(snapshot.characters.size());
    const int start = ClampedInt(call.number(first, 0), 0, count);
    const int end = ClampedInt(call.number(first + 1, start + 1), start, count);
    return {start, end};
}

QString textOf(const SnapshotPayload &snapshot, int start, int end, bool lineEndings, bool selectedOnly)
{
    QString text;
    for (int i = start; i < end; ++i) {
        const SnapshotCharacter &c = snapshot.characters[size_t(i)];
        if (selectedOnly && !c.selected)
            continue;
        if (lineEndings && c.lineStart && !text.isEmpty())
            text += LineEnding;
        text += c.code;
    }
    return text;
}

Value construct(NativeCall &call)
{
    ScriptObject *snapshot = call.construct ? call.object() : nullptr;
    if (!snapshot)
        return Undefined{};
    auto payload = std::make_unique<SnapshotPayload>();
    if (const auto *clip = std::get_if<ClipRef>(&call.arg(0)))
        payload->characters = charactersOf(call.player().movie(), clip->get());
    snapshot->payload = std::move(payload);
    return snapshot;
}

Value getCount(NativeCall &call)
{
    const SnapshotPayload *snapshot = snapshotOf(call);
    return snapshot ? Value(double(snapshot->characters.size())) : Value(Undefined{});
}

// findText(start, text, caseSensitive): where text next begins, or -1.
Value findText(NativeCall &call)
{
    const SnapshotPayload *snapshot = snapshotOf(call);
    if (!snapshot)
        return Undefined{};
    const QString all = textOf(*snapshot, 0, int(snapshot->characters.size()), false, false);
    const int start = ClampedInt(call.number(0, 0), 0, int(all.size()));
    const Qt::CaseSensitivity cs = call.cx.toBool(call.arg(2)) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    return double(all.indexOf(call.string(1), start, cs));
}

Value getSelected(NativeCall &call)
{
    const SnapshotPayload *snapshot = snapshotOf(call);
    if (!snapshot)
        return Undefined{};
    const auto [start, end] = rangeOf(call, *snapshot, 0);
    for (int i = start; i < end; ++i)
        if (snapshot->characters[size_t(i)].selected)
            return true;
    return false;
}

Value getSelectedText(NativeCall &call)
{
    const SnapshotPayload *snapshot = snapshotOf(call);
    if (!snapshot)
        return Undefined{};
    return textOf(*snapshot, 0, int(snapshot->characters.size()), call.cx.toBool(call.arg(0)), true);
}

Value getText(NativeCall &call)
{
    const SnapshotPayload *snapshot = snapshotOf(call);
    if (!snapshot)
        return Undefined{};
    const auto [start, end] = rangeOf(call, *snapshot, 0);
    return textOf(*snapshot, start, end, call.cx.toBool(call.arg(2)), false);
}

// hitTestTextNearPos(x, y, maxDistance): the character whose origin is
// nearest the point within the distance, or -1.
Value hitTestTextNearPos(NativeCall &call)
{
    const SnapshotPayload *snapshot = snapshotOf(call);
    if (!snapshot)
        return Undefined{};
    const QPointF point(call.number(0, 0), call.number(1, 0));
    double best = call.number(2, 0);
    double found = -1;
    for (size_t i = 0; i < snapshot->characters.size(); ++i) {
        const double distance = QLineF(point, snapshot->characters[i].origin).length();
        if (distance <= best) {
            best = distance;
            found = double(i);
        }
    }
    return found;
}

Value setSelectColor(NativeCall &call)
{
    if (SnapshotPayload *snapshot = snapshotOf(call))
        snapshot->selectColor = double(uint32_t(ClampedInt(call.number(0, 0), INT_MIN, INT_MAX)) & RgbMask);
    return Undefined{};
}

Value setSelected(NativeCall &call)
{
    SnapshotPayload *snapshot = snapshotOf(call);
    if (!snapshot)
        return Undefined{};
    const auto [start, end] = rangeOf(call, *snapshot, 0);
    const bool selected = call.cx.toBool(call.arg(2));
    for (int i = start; i < end; ++i)
        snapshot->characters[size_t(i)].selected = selected;
    return Undefined{};
}

// One object per character of the range: where it is and how it looks.
Value getTextRunInfo(NativeCall &call)
{
    SnapshotPayload *snapshot = snapshotOf(call);
    ScriptObject *runs = snapshot ? call.engine().newArray() : nullptr;
    if (!runs)
        return Undefined{};
    const auto [start, end] = rangeOf(call, *snapshot, 0);
    for (int i = start; i < end; ++i) {
        const SnapshotCharacter &c = snapshot->characters[size_t(i)];
        ScriptObject *info = call.engine().newObject();
        if (!info || !runs->resizeElements(runs->elements.size() + 1))
            break;
        const std::pair<const char *, Value> fields[] = {
            {"indexInRun", double(i)}, {"selected", c.selected}, {"font", c.font},
            {"color", c.color},        {"height", c.height},     {"matrix_tx", c.origin.x()},
            {"matrix_ty", c.origin.y()}};
        for (const auto &[name, value] : fields)
            info->set(call.key(QLatin1String(name)), QLatin1String(name), value);
        runs->elements.back() = info;
    }
    return runs;
}

// MovieClip.getTextSnapshot: a snapshot of the clip's static text now.
Value getTextSnapshot(NativeCall &call)
{
    ScriptObject *snapshot = call.engine().newObject(objectOf(call.engine().kept(PrototypeKey)));
    if (!snapshot)
        return Undefined{};
    auto payload = std::make_unique<SnapshotPayload>();
    payload->characters = charactersOf(call.player().movie(), call.clip());
    snapshot->payload = std::move(payload);
    return snapshot;
}

constexpr int SnapshotVersion = 6;
// The methods are listed by for..in and may be deleted.
constexpr int PlainFlags = 0;

void addToMovieClip(ScriptEngine &engine, ScriptObject &constructor)
{
    if (ScriptObject *prototype = PrototypeOf(engine, constructor))
        engine.keep(PrototypeKey, prototype);
    const Value *movieClip = engine.global()->own(engine.key(QStringLiteral("MovieClip")));
    const ScriptObject *movieClipClass = movieClip ? objectOf(*movieClip) : nullptr;
    ScriptObject *clipPrototype = movieClipClass ? PrototypeOf(engine, *movieClipClass) : nullptr;
    ScriptObject *method = clipPrototype ? engine.newNative(getTextSnapshot) : nullptr;
    if (method)
        AddBuiltinMember(engine, *clipPrototype, "getTextSnapshot", method, BuiltinFlags | HiddenBefore6);
}

} // namespace

const ClassDecl TextSnapshotClass{
    "TextSnapshot",
    construct,
    {{"findText", findText, SnapshotVersion, nullptr, PlainFlags},
     {"getCount", getCount, SnapshotVersion, nullptr, PlainFlags},
     {"getSelected", getSelected, SnapshotVersion, nullptr, PlainFlags},
     {"getSelectedText", getSelectedText, SnapshotVersion, nullptr, PlainFlags},
     {"getText", getText, SnapshotVersion, nullptr, PlainFlags},
     {"getTextRunInfo", getTextRunInfo, SnapshotVersion, nullptr, PlainFlags},
     {"hitTestTextNearPos", hitTestTextNearPos, SnapshotVersion, nullptr, PlainFlags},
     {"setSelectColor", setSelectColor, SnapshotVersion, nullptr, PlainFlags},
     {"setSelected", setSelected, SnapshotVersion, nullptr, PlainFlags}},
    {},
    {},
    5,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {},
    addToMovieClip,
};

} // namespace swf
