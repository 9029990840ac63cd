// Reads a movie file into its definitions: header, dictionary and timelines.
#include "swf/BitmapDecoder.h"
#include "swf/Decompress.h"
#include "swf/Definitions.h"
#include "swf/ShapeParser.h"
#include "swf/SoundTags.h"

namespace swf {

namespace {

enum Tag {
    TagEnd = 0, TagShowFrame = 1, TagDefineShape = 2, TagPlaceObject = 4, TagRemoveObject = 5,
    TagDefineBits = 6, TagDefineButton = 7, TagJPEGTables = 8, TagSetBackgroundColor = 9,
    TagDefineFont = 10, TagDefineText = 11, TagDoAction = 12, TagDefineSound = 14, TagStartSound = 15,
    TagDefineButtonSound = 17, TagSoundStreamHead = 18, TagSoundStreamBlock = 19, TagDefineBitsLossless = 20,
    TagDefineBitsJPEG2 = 21, TagDefineShape2 = 22, TagPlaceObject2 = 26, TagRemoveObject2 = 28,
    TagDefineShape3 = 32, TagDefineText2 = 33, TagDefineButton2 = 34, TagDefineBitsJPEG3 = 35,
    TagDefineBitsLossless2 = 36, TagDefineEditText = 37, TagDefineSprite = 39, TagFrameLabel = 43,
    TagSoundStreamHead2 = 45, TagDefineMorphShape = 46, TagDefineFont2 = 48, TagDoInitAction = 59, TagPlaceObject3 = 70,
    TagExportAssets = 56, TagImportAssets = 57, TagDefineVideoStream = 60, TagVideoFrame = 61, TagImportAssets2 = 71,
    TagDefineFont3 = 75, TagFileAttributes = 69, TagDoABCDefine = 72, TagSymbolClass = 76, TagDoABC = 82, TagDefineShape4 = 83, TagDefineMorphShape2 = 84, TagDefineBitsJPEG4 = 90,
};

// PlaceObject3's second flag byte.
enum PlaceFlags2 {
    PlaceHasFilters = 0x01, PlaceHasBlendMode = 0x02, PlaceHasCacheAsBitmap = 0x04, PlaceHasVisible = 0x20,
    PlaceHasOpaqueBackground = 0x40,
};

// FileAttributes' flag byte and DoABC's flags.
enum { FileAttributeActionScript3 = 0x08, DoAbcLazyInitialize = 0x01 };

// DefineVideoStream's flag byte.
enum VideoFlags { VideoSmoothing = 0x01, VideoDeblockingShift = 1, VideoDeblockingMask = 0x07 };

// DefineFont2 and DefineFont3 flags.
enum FontFlags { FontHasLayout = 0x80, FontItalic = 0x02, FontBold = 0x01 };

// A font's name as stored: UTF-8 (older movies: Latin-1), perhaps ending in a zero.
QString nameOf(QByteArray bytes)
{
    const int zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    const QString utf8 = QString::fromUtf8(bytes);
    return utf8.contains(QChar::ReplacementCharacter) ? QString::fromLatin1(bytes) : utf8;
}

struct Parser {
    MovieDef &movie;
    QByteArray jpegTables;
    bool backgroundSeen = false;

    void define(std::shared_ptr<Character> character)
    {
        // The first definition of an id stands, as in the reference player.
        if (character && !movie.dictionary.count(character->id))
            movie.dictionary[character->id] = std::move(character);
    }

    PlaceCommand readPlace(SwfReader &r, int tag)
    {
        PlaceCommand place;
        if (tag == TagPlaceObject) {
            place.characterId = r.u16();
            place.depth = r.u16();
            place.matrix = r.matrix();
            if (r.remaining() > 0)
                place.cxform = r.cxform(false);
            return place;
        }
        const int flags = r.u8();
        const int flags2 = tag == TagPlaceObject3 ? r.u8() : 0;
        place.depth = r.u16();
        place.move = flags & 0x01;
        if ((flags2 & 0x08) || ((flags2 & 0x10) && (flags & 0x02)))
            r.string(movie.version); // class name
        if (flags & 0x02)
            place.characterId = r.u16();
        if (flags & 0x04)
            place.matrix = r.matrix();
        if (flags & 0x08)
            place.cxform = r.cxform(true);
        if (flags & 0x10)
            place.ratio = r.u16();
        if (flags & 0x20)
            place.name = r.string(movie.version);
        if (flags & 0x40)
            place.clipDepth = r.u16();
        if (flags2 & PlaceHasFilters)
            place.filters = std::make_shared<const FilterList>(ReadFilterList(r));
        if (flags2 & PlaceHasBlendMode)
            place.blendMode = r.u8();
        if (flags2 & PlaceHasCacheAsBitmap)
            place.cacheAsBitmap = r.u8() != 0;
        if (flags2 & PlaceHasVisible)
            place.visible = r.u8() != 0;
        if (flags2 & PlaceHasOpaqueBackground)
            place.opaqueBackground = r.rgba();
        if ((flags & 0x80) && movie.version >= 5)
            place.clipActions = readClipActions(r);
        return place;
    }

    // Event handlers of a placed clip; a list cut short keeps what it has.
    std::shared_ptr<const std::vector<ClipAction>> readClipActions(SwfReader &r)
    {
        const bool wide = movie.version >= 6; // event flags are 4 bytes from version 6 on
        const auto eventFlags = [&r, wide] { return wide ? r.u32() : uint32_t(r.u16()); };
        r.u16();
        eventFlags(); // all events together
        auto actions = std::make_shared<std::vector<ClipAction>>();
        while (!r.atEnd() && !r.overrun()) {
            ClipAction action;
            action.events = eventFlags();
            if (action.events == 0 || r.overrun())
                break;
            int size = int(std::min<uint32_t>(r.u32(), uint32_t(r.remaining())));
            if ((action.events & ClipAction::KeyPress) && wide && size > 0) {
                action.keyCode = r.u8();
                --size;
            }
            action.actions = r.bytes(size);
            actions->push_back(std::move(action));
        }
        return actions->empty() ? nullptr : std::move(actions);
    }

    void readTimeline(SwfReader &r, Timeline &timeline, bool isRoot)
    {
        Frame frame;
        while (!r.atEnd() && int(timeline.frames.size()) < MaxFrames) {
            const uint16_t header = r.u16();
            const int code = header >> 6;
            int length = header & 0x3F;
            if (length == 0x3F)
                length = int(std::min<uint32_t>(r.u32(), uint32_t(INT32_MAX)));
            if (r.overrun())
                break;
            SwfReader body = r.sub(length);
            if (code == TagEnd)
                break;
            switch (code) {
            case TagShowFrame:
                timeline.frames.push_back(std::move(frame));
                frame = Frame{};
                break;
            case TagPlaceObject:
            case TagPlaceObject2:
            case TagPlaceObject3:
                frame.display.emplace_back(readPlace(body, code));
                break;
            case TagRemoveObject:
                body.u16();
                frame.display.emplace_back(RemoveCommand{body.u16()});
                break;
            case TagRemoveObject2:
                frame.display.emplace_back(RemoveCommand{body.u16()});
                break;
            case TagDoAction:
                frame.actions.push_back(body.rest());
                break;
            case TagFileAttributes:
                if (isRoot)
                    movie.actionScript3 = body.u8() & FileAttributeActionScript3;
                break;
            case TagDoABC: {
                const uint32_t flags = body.u32();
                body.string(movie.version); // the block's name
                frame.abcBlocks.push_back(AbcBlock{body.rest(), bool(flags & DoAbcLazyInitialize)});
                break;
            }
            case TagDoABCDefine:
                frame.abcBlocks.push_back(AbcBlock{body.rest(), false});
                break;
            case TagSymbolClass: {
                const int count = body.u16();
                for (int i = 0; i < count && !body.overrun(); ++i) {
                    const int id = body.u16();
                    const QString name = body.string(movie.version);
                    if (!body.overrun())
                        frame.symbolClasses.emplace_back(id, name);
                }
                break;
            }
            case TagDoInitAction:
                body.u16(); // the sprite it initialises: its code runs on this frame all the same
                frame.initActions.push_back(body.rest());
                break;
            case TagStartSound: {
                SoundStart start;
                start.soundId = body.u16();
                start.info = ReadSoundInfo(body);
                if (!body.overrun())
                    frame.sounds.push_back(std::move(start));
                break;
            }
            case TagSoundStreamHead:
            case TagSoundStreamHead2:
                if (!timeline.stream)
                    timeline.stream = ReadStreamHead(body);
                break;
            case TagSoundStreamBlock:
                if (timeline.stream && frame.streamBlock.isEmpty()) {
                    frame.streamBlock = body.rest();
                    timeline.hasStreamBlocks = true;
                }
                break;
            case TagFrameLabel: {
                const QString label = body.string(movie.version).toLower();
                if (!timeline.labels.contains(label))
                    timeline.labels.insert(label, int(timeline.frames.size()));
                break;
            }
            case TagSetBackgroundColor: {
                // Only the movie's first background counts, as in the reference player.
                const QColor colour = body.rgb();
                if (isRoot && !backgroundSeen) {
                    movie.background = colour;
                    backgroundSeen = true;
                }
                break;
            }
            case TagDefineSprite:
                if (isRoot)
                    readSprite(body);
                break;
            default:
                readDefinition(code, body);
                break;
            }
        }
        // A movie cut short plays the frames it has; one with no frame at all
        // still shows what it placed.
        if (timeline.frames.empty() && (!frame.display.empty() || !frame.actions.empty() ||
                                        !frame.initActions.empty() || !frame.abcBlocks.empty()))
            timeline.frames.push_back(std::move(frame));
    }

    void readSprite(SwfReader &r)
    {
        auto sprite = std::make_shared<SpriteDef>();
        sprite->id = r.u16();
        r.u16(); // the header's frame count: the real ShowFrame count decides
        readTimeline(r, sprite->timeline, false);
        define(sprite);
    }

    void readDefinition(int code, SwfReader &r)
    {
        switch (code) {
        case TagDefineShape: define(ReadShape(r, 1)); break;
        case TagDefineShape2: define(ReadShape(r, 2)); break;
        case TagDefineShape3: define(ReadShape(r, 3)); break;
        case TagDefineShape4: define(ReadShape(r, 4)); break;
        case TagDefineMorphShape: define(ReadMorphShape(r, 1)); break;
        case TagDefineMorphShape2: define(ReadMorphShape(r, 2)); break;
        case TagJPEGTables: jpegTables = r.rest(); break;
        case TagDefineBits:
        case TagDefineBitsJPEG2:
        case TagDefineBitsJPEG3:
        case TagDefineBitsJPEG4: readJpeg(code, r); break;
        case TagDefineBitsLossless:
        case TagDefineBitsLossless2: readLossless(code, r); break;
        case TagDefineButton:
        case TagDefineButton2: readButton(code, r); break;
        case TagDefineFont: readFont1(r); break;
        case TagDefineFont2:
        case TagDefineFont3: readFont2(code, r); break;
        case TagDefineText:
        case TagDefineText2: readText(code, r); break;
        case TagDefineEditText: readEditText(r); break;
        case TagDefineSound: define(ReadDefineSound(r)); break;
        case TagDefineButtonSound: ReadButtonSounds(r, movie); break;
        case TagImportAssets:
        case TagImportAssets2: readImports(code, r); break;
        case TagDefineVideoStream: readVideoStream(r); break;
        case TagVideoFrame: readVideoFrame(r); break;
        case TagExportAssets: {
            const int count = r.u16();
            for (int i = 0; i < count && !r.overrun(); ++i) {
                const int id = r.u16();
                const QString name = ExportKey(r.string(movie.version));
                if (!r.overrun() && !movie.exports.contains(name))
                    movie.exports.insert(name, id);
            }
            break;
        }
        default: break;
        }
    }

    // Characters another movie exports, by the name it gives them, under ids of this one.
    void readImports(int code, SwfReader &r)
    {
        const QString url = r.string(movie.version);
        if (code == TagImportAssets2)
            r.skip(2); // reserved
        const int count = r.u16();
        for (int i = 0; i < count && !r.overrun() && movie.imports.size() < MaxImports; ++i) {
            ImportedCharacter imported{url, r.u16(), QString()};
            imported.name = r.string(movie.version);
            if (!r.overrun())
                movie.imports.push_back(std::move(imported));
        }
    }

    void readVideoStream(SwfReader &r)
    {
        auto video = std::make_shared<VideoDef>();
        video->id = r.u16();
        r.u16(); // the frame count: the frames themselves decide
        const int width = r.u16();
        const int height = r.u16();
        const int flags = r.u8();
        video->codec = r.u8();
        video->size = QSize(width, height);
        video->smoothing = flags & VideoSmoothing;
        video->deblocking = (flags >> VideoDeblockingShift) & VideoDeblockingMask;
        if (IsVideoCodec(video->codec))
            video->decoder = std::make_shared<VideoDecoder>(video->codec);
        define(video);
    }

    void readVideoFrame(SwfReader &r)
    {
        const int id = r.u16();
        const int number = r.u16();
        const auto it = movie.dictionary.find(id);
        auto *video = it == movie.dictionary.end() ? nullptr : dynamic_cast<VideoDef *>(it->second.get());
        if (!video || r.overrun())
            return;
        if (size_t(number) >= video->frames.size())
            video->frames.resize(size_t(number) + 1);
        VideoPacket &packet = video->frames[size_t(number)];
        packet.data = r.rest();
        packet.keyframe = IsEmbeddedKeyframe(video->codec, packet.data, number);
    }

    void readJpeg(int code, SwfReader &r)
    {
        auto bitmap = std::make_shared<BitmapDef>();
        bitmap->id = r.u16();
        QByteArray alpha;
        QByteArray data;
        if (code == TagDefineBitsJPEG3 || code == TagDefineBitsJPEG4) {
            const uint32_t alphaOffset = r.u32();
            if (code == TagDefineBitsJPEG4)
                r.u16(); // deblocking
            data = r.bytes(int(std::min<uint32_t>(alphaOffset, uint32_t(r.remaining()))));
            alpha = r.rest();
        } else {
            data = r.rest();
        }
        bitmap->image = DecodeJpegBitmap(data, code == TagDefineBits ? jpegTables : QByteArray(), alpha);
        define(bitmap);
    }

    void readLossless(int code, SwfReader &r)
    {
        auto bitmap = std::make_shared<BitmapDef>();
        bitmap->id = r.u16();
        const int format = r.u8();
        const int width = r.u16();
        const int height = r.u16();
        const int colors = format == 3 ? r.u8() + 1 : 0;
        bitmap->image = DecodeLosslessBitmap(format, width, height, colors, r.rest(),
                                             code == TagDefineBitsLossless2 ? 2 : 1);
        define(bitmap);
    }

    void readButtonRecords(SwfReader &r, ButtonDef &button, bool version2)
    {
        while (!r.overrun()) {
            const int flags = r.u8();
            if (flags == 0)
                break;
            ButtonRecord record;
            record.states = flags & 0x0F;
            record.characterId = r.u16();
            record.depth = r.u16();
            record.matrix = r.matrix();
            if (version2) {
                record.cxform = r.cxform(true);
                if (flags & 0x10)
                    record.filters = std::make_shared<const FilterList>(ReadFilterList(r));
                if (flags & 0x20)
                    record.blendMode = r.u8();
            }
            button.records.push_back(record);
        }
    }

    void readButton(int code, SwfReader &r)
    {
        auto button = std::make_shared<ButtonDef>();
        button->id = r.u16();
        if (code == TagDefineButton) {
            readButtonRecords(r, *button, false);
            button->actions.push_back({0x0008, r.rest()}); // released inside
        } else {
            button->trackAsMenu = r.u8() & 1;
            const int actionStart = r.position();
            const int actionOffset = r.u16();
            readButtonRecords(r, *button, true);
            if (actionOffset != 0) {
                r.seek(actionStart + actionOffset);
                while (!r.atEnd()) {
                    const int size = r.u16();
                    const int conditions = r.u16();
                    const QByteArray actions = size == 0 ? r.rest() : r.bytes(size - 4);
                    button->actions.push_back({conditions, actions});
                    if (size == 0)
                        break;
                }
            }
        }
        define(button);
    }

    QPainterPath readGlyph(SwfReader &r)
    {
        return OutlineOf(ReadShapeRecords(r, 1, false));
    }

    void readFont1(SwfReader &r)
    {
        auto font = std::make_shared<FontDef>();
        font->id = r.u16();
        const int tableStart = r.position();
        const int first = r.u16();
        const int count = first / 2;
        std::vector<int> offsets{first};
        for (int i = 1; i < count && !r.overrun(); ++i)
            offsets.push_back(r.u16());
        for (int offset : offsets) {
            r.seek(tableStart + offset);
            font->glyphs.push_back(readGlyph(r));
        }
        define(font);
    }

    void readFont2(int code, SwfReader &r)
    {
        auto font = std::make_shared<FontDef>();
        font->id = r.u16();
        const int flags = r.u8();
        r.u8(); // language
        font->name = nameOf(r.bytes(r.u8()));
        font->bold = flags & FontBold;
        font->italic = flags & FontItalic;
        const int count = r.u16();
        const bool wideOffsets = flags & 0x08;
        const bool wideCodes = flags & 0x04;
        const int tableStart = r.position();
        std::vector<uint32_t> offsets;
        for (int i = 0; i <= count && !r.overrun(); ++i)
            offsets.push_back(wideOffsets ? r.u32() : r.u16());
        for (int i = 0; i < count && i < int(offsets.size()); ++i) {
            r.seek(tableStart + int(std::min<uint32_t>(offsets[size_t(i)], uint32_t(r.size()))));
            font->glyphs.push_back(readGlyph(r));
        }
        if (!offsets.empty() && count < int(offsets.size())) {
            r.seek(tableStart + int(std::min<uint32_t>(offsets[size_t(count)], uint32_t(r.size()))));
            for (int i = 0; i < count && !r.overrun(); ++i)
                font->codes.push_back(wideCodes ? r.u16() : r.u8());
        }
        font->emSquare = code == TagDefineFont3 ? 20480 : 1024;
        if ((flags & FontHasLayout) && !r.overrun()) {
            font->ascent = r.u16();
            font->descent = r.u16();
            font->leading = r.s16();
            for (int i = 0; i < count && !r.overrun(); ++i)
                font->advances.push_back(r.s16());
            font->hasLayout = !r.overrun();
            if (!font->hasLayout)
                font->advances.clear();
        }
        define(font);
    }

    void readText(int code, SwfReader &r)
    {
        auto text = std::make_shared<TextDef>();
        text->id = r.u16();
        text->bounds = r.rect();
        text->matrix = r.matrix();
        const int glyphBits = r.u8();
        const int advanceBits = r.u8();
        TextRecord state;
        while (!r.overrun()) {
            const int flags = r.u8();
            if (flags == 0)
                break;
            TextRecord record = state;
            record.glyphs.clear();
            if (flags & 0x08)
                record.fontId = r.u16();
            if (flags & 0x04)
                record.color = code == TagDefineText2 ? r.rgba() : r.rgb();
            if (flags & 0x01)
                record.x = r.s16();
            if (flags & 0x02)
                record.y = r.s16();
            if (flags & 0x08)
                record.height = r.u16();
            const int count = r.u8();
            for (int i = 0; i < count && !r.overrun(); ++i) {
                GlyphEntry glyph;
                glyph.index = int(r.ub(glyphBits));
                glyph.advance = r.sb(advanceBits);
                record.glyphs.push_back(glyph);
            }
            r.align();
            state = record;
            for (const GlyphEntry &glyph : record.glyphs)
                state.x += glyph.advance;
            text->records.push_back(std::move(record));
        }
        define(text);
    }

    void readEditText(SwfReader &r)
    {
        auto edit = std::make_shared<EditTextDef>();
        edit->id = r.u16();
        edit->bounds = r.rect();
        const int flags = r.u16();
        const bool hasText = flags & 0x0080;
        const bool hasColor = flags & 0x0004;
        const bool hasMaxLength = flags & 0x0002;
        const bool hasFont = flags & 0x0001;
        const bool hasFontClass = flags & 0x8000;
        const bool hasLayout = flags & 0x2000;
        edit->border = flags & 0x0800;
        edit->wordWrap = flags & 0x0040;
        edit->multiline = flags & 0x0020;
        edit->password = flags & 0x0010;
        edit->readOnly = flags & 0x0008;
        edit->autoSize = flags & 0x4000;
        edit->selectable = !(flags & 0x1000);
        edit->html = flags & 0x0200;
        edit->useOutlines = flags & 0x0100;
        if (hasFont)
            edit->fontId = r.u16();
        if (hasFontClass)
            r.string(movie.version);
        if (hasFont)
            edit->height = r.u16();
        if (hasColor)
            edit->color = r.rgba();
        if (hasMaxLength)
            edit->maxLength = r.u16();
        if (hasLayout) {
            edit->align = r.u8();
            edit->leftMargin = r.u16();
            edit->rightMargin = r.u16();
            edit->indent = r.u16();
            edit->leading = r.s16();
        }
        edit->variable = r.string(movie.version);
        edit->hasText = hasText;
        if (hasText)
            edit->text = r.string(movie.version);
        define(edit);
    }
};

} // namespace

std::shared_ptr<MovieDef> ParseMovie(const QByteArray &file, QString *error)
{
    const auto fail = [error](const char *reason) {
        if (error)
            *error = QString::fromLatin1(reason);
        return std::shared_ptr<MovieDef>();
    };
    if (file.size() < 8)
        return fail("the file is too short to be a Flash movie");
    const QByteArray signature = file.left(3);
    const int version = uint8_t(file[3]);
    SwfReader header(file);
    header.skip(4);
    const uint32_t declared = header.u32();
    const int expected = int(std::min<uint32_t>(std::max<uint32_t>(declared, 8), MaxUncompressedSize)) - 8;

    QByteArray body;
    if (signature == "FWS") {
        body = file.mid(8, expected);
    } else if (signature == "CWS") {
        body = InflateZlib(file.mid(8), expected);
    } else if (signature == "ZWS") {
        if (file.size() < 17)
            return fail("the compressed movie is cut short");
        body = DecodeLzma(file.mid(12, 5), file.mid(17), expected);
    } else {
        return fail("the file is not a Flash movie");
    }
    if (body.size() < 5)
        return fail("the movie's header is damaged");

    auto movie = std::make_shared<MovieDef>();
    movie->version = version;
    SwfReader r(body);
    movie->frameRect = r.rect();
    movie->frameRate = r.u16() / 256.0;
    movie->headerFrames = r.u16();
    if (r.overrun())
        return fail("the movie's header is damaged");
    Parser parser{*movie, {}, false};
    parser.readTimeline(r, movie->root, true);
    return movie;
}

} // namespace swf
