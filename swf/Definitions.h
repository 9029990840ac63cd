#pragma once

#include "swf/Filters.h"
#include "swf/SwfReader.h"
#include "swf/VideoDecoder.h"

#include <QGradientStops>
#include <QHash>
#include <QImage>
#include <QPainterPath>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

// What a movie file defines: its characters and timelines, as parsed.
namespace swf {

struct FillStyle {
    enum Type { Solid, Linear, Radial, Focal, Bitmap } type = Solid;
    QColor color;
    QTransform matrix;      // gradient square or bitmap pixels to shape twips
    QGradientStops stops;
    int spread = 0;         // 0 pad, 1 reflect, 2 repeat
    bool linearRgb = false; // stops blend in linear light rather than in sRGB
    double focal = 0;
    int bitmapId = 0;
    QImage image;           // a bitmap given directly (scripts' bitmap data) instead of by id
    bool repeat = true;
    bool smooth = true;
};

struct LineStyle {
    double width = 0;       // twips
    QColor color;
    std::optional<FillStyle> fill;
    Qt::PenCapStyle cap = Qt::RoundCap;
    Qt::PenJoinStyle join = Qt::RoundJoin;
    double miter = 3;
};

// One edge of a shape with the styles in force when it was drawn.
struct Segment {
    int fill0 = 0, fill1 = 0, line = 0; // 1-based within the group; 0 none
    QPointF from, control, to;
    bool curve = false;
};

// A run of edges sharing one set of style arrays.
struct StyleGroup {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<Segment> segments;
};

// A shape ready to draw: per style group, a closed path per fill style and a
// path per line style, in twips.
struct ShapeLayer {
    std::vector<std::pair<FillStyle, QPainterPath>> fills;
    std::vector<std::pair<LineStyle, QPainterPath>> lines;
};

// Actions a placed clip runs on events (onClipEvent and on handlers).
struct ClipAction {
    // Event bits, as version 6 files store them.
    enum Event : uint32_t {
        Load = 0x1, EnterFrame = 0x2, Unload = 0x4, MouseMove = 0x8, MouseDown = 0x10, MouseUp = 0x20,
        KeyDown = 0x40, KeyUp = 0x80, Data = 0x100, Initialize = 0x200, Press = 0x400, Release = 0x800,
        ReleaseOutside = 0x1000, RollOver = 0x2000, RollOut = 0x4000, DragOver = 0x8000, DragOut = 0x10000,
        KeyPress = 0x20000, Construct = 0x40000,
        // The events that make a clip answer the pointer like a button.
        PointerEvents = Press | Release | ReleaseOutside | RollOver | RollOut | DragOver | DragOut,
    };
    uint32_t events = 0;
    int keyCode = 0;
    QByteArray actions;
};

struct PlaceCommand {
    int depth = 0;
    bool move = false;
    std::optional<int> characterId;
    std::optional<QTransform> matrix;
    std::optional<ColorTransform> cxform;
    std::optional<int> ratio;
    std::optional<QString> name;
    std::optional<int> clipDepth;
    std::optional<int> blendMode;
    std::shared_ptr<const FilterList> filters;
    std::optional<bool> cacheAsBitmap;
    std::optional<bool> visible;
    std::optional<QColor> opaqueBackground;
    std::shared_ptr<const std::vector<ClipAction>> clipActions;
};

struct RemoveCommand {
    int depth = 0;
};

using DisplayCommand = std::variant<PlaceCommand, RemoveCommand>;

// How a sound's samples are coded.
struct SoundFormat {
    enum Codec { PcmNative = 0, Adpcm = 1, Mp3 = 2, PcmLittle = 3 };
    int codec = PcmLittle;
    double rate = 44100; // samples per second per channel; code 0 is 5512.5
    bool sixteenBit = true;
    bool stereo = false;
};

struct EnvelopePoint {
    qint64 position = 0; // in 44.1 kHz samples from the sound's start
    int left = 32768;    // 0..32768
    int right = 32768;
};

// How an event sound is started: where it begins and ends (44.1 kHz
// samples), how often it plays, and its volume over time.
struct SoundInfo {
    bool stop = false;       // stops the sound instead of starting it
    bool noMultiple = false; // not started again while it plays
    std::optional<qint64> inPoint, outPoint;
    int loops = 1;
    std::vector<EnvelopePoint> envelope;
};

// What Sound objects set for a clip or for the whole movie: the volume in
// percent and how much of each channel goes to the left and right outputs.
struct SoundTransform {
    static constexpr int Full = 100;
    int volume = Full;
    int ll = Full, lr = 0, rl = 0, rr = Full;
};

struct SoundStart {
    int soundId = 0;
    SoundInfo info;
};

// A timeline's streaming sound: one block per frame, played as the
// timeline runs.
struct StreamHead {
    SoundFormat format;
    int samplesPerBlock = 0;
};

// An ActionScript 3 block (DoABC) and whether its scripts wait until a
// definition of theirs is first used.
struct AbcBlock {
    QByteArray bytes;
    bool lazy = false;
};

struct Frame {
    std::vector<DisplayCommand> display;
    std::vector<AbcBlock> abcBlocks;
    // SymbolClass: characters (0: the movie's root) and the classes they link to.
    std::vector<std::pair<int, QString>> symbolClasses;
    std::vector<QByteArray> actions;
    std::vector<QByteArray> initActions; // run once, before the frame's first actions
    std::vector<SoundStart> sounds;
    QByteArray streamBlock; // this frame's part of the streaming sound, if any
};

struct Timeline {
    std::vector<Frame> frames;
    QHash<QString, int> labels; // lower-cased label to frame
    std::optional<StreamHead> stream;
    // Many timelines declare a stream and never send a block.
    bool hasStreamBlocks = false;
};

struct Character {
    virtual ~Character() = default;
    int id = 0;
};

struct ShapeDef : Character {
    QRectF bounds;
    bool nonZeroWinding = false; // DefineShape4 may ask for it; others fill even-odd
    std::vector<ShapeLayer> layers;
    QPainterPath outline; // union of every fill, for masks and hit tests
};

struct MorphShapeDef : Character {
    QRectF startBounds, endBounds;
    std::vector<FillStyle> startFills, endFills;
    std::vector<LineStyle> startLines, endLines;
    std::vector<Segment> startSegments; // styles from the start shape
    std::vector<Segment> endSegments;
};

struct BitmapDef : Character {
    QImage image; // premultiplied ARGB
};

struct SpriteDef : Character {
    Timeline timeline;
};

struct ButtonRecord {
    int states = 0; // 1 up, 2 over, 4 down, 8 hit test
    int characterId = 0;
    int depth = 0;
    QTransform matrix;
    ColorTransform cxform;
    int blendMode = 0;
    std::shared_ptr<const FilterList> filters;
};

struct ButtonAction {
    int conditions = 0; // DefineButton2 condition bits; release inside for DefineButton
    QByteArray actions;
};

struct ButtonDef : Character {
    // The transitions a button can play a sound for.
    enum SoundTransition { OverToUp, UpToOver, OverToDown, DownToOver, SoundTransitions };

    std::vector<ButtonRecord> records;
    std::vector<ButtonAction> actions;
    bool trackAsMenu = false;
    std::array<std::optional<SoundStart>, SoundTransitions> sounds;
};

struct FontDef : Character {
    std::vector<QPainterPath> glyphs; // in font units
    std::vector<int> codes;
    double emSquare = 1024;           // 20480 for DefineFont3
    QString name;
    bool bold = false, italic = false;
    // Layout, in font units, when the font has it: text fields place glyphs by it.
    bool hasLayout = false;
    double ascent = 0, descent = 0, leading = 0;
    std::vector<double> advances;     // one per glyph
};

struct GlyphEntry {
    int index = 0;
    double advance = 0;
};

struct TextRecord {
    int fontId = 0;
    QColor color;
    double x = 0, y = 0, height = 0;
    std::vector<GlyphEntry> glyphs;
};

struct TextDef : Character {
    QRectF bounds;
    QTransform matrix;
    std::vector<TextRecord> records;
};

struct SoundDef : Character {
    SoundFormat format;
    qint64 sampleCount = 0; // per channel, as declared
    QByteArray data;
};

struct EditTextDef : Character {
    enum Align { Left = 0, Right = 1, Center = 2, Justify = 3 };
    QRectF bounds;
    QString text;
    bool hasText = false; // the tag gives a text, if only an empty one
    QString variable; // the script variable it shows, if any
    QColor color = Qt::black;
    double height = 240;
    int fontId = 0;
    int align = Left;
    // Margins, first-line indent and extra space between lines, in twips.
    double leftMargin = 0, rightMargin = 0, indent = 0, leading = 0;
    bool border = false;          // a border and a background
    QColor borderColor = Qt::black;
    QColor backgroundColor = Qt::white;
    bool wordWrap = false, multiline = false, password = false, readOnly = false, selectable = true;
    bool html = false;            // the text is the player's HTML subset
    bool useOutlines = false;     // drawn with the embedded font's glyphs
    bool autoSize = false;
    int maxLength = 0;            // 0: no limit
};

// An embedded video stream: its pictures by frame number, shown by the
// placed object's ratio, and the one decoder every placement shares.
struct VideoDef : Character {
    QSize size;            // pixels
    int codec = 0;
    bool smoothing = false;
    int deblocking = 0;    // 0 as the stream says, 1 off, 2 on
    std::vector<VideoPacket> frames;
    std::shared_ptr<VideoDecoder> decoder;

    QRectF bounds() const;
    QImage picture(int frame) const;
};

// Limits that keep a hostile file from exhausting the machine.
constexpr int MaxUncompressedSize = 64 * 1024 * 1024;
constexpr int MaxBitmapPixels = 16 * 1024 * 1024;
constexpr int MaxBitmapSide = 8192;
constexpr int MaxFrames = 65535;
constexpr int MaxSegmentsPerShape = 200000;

// A character this movie takes from another: the file that exports it, the
// id it has here and the name it was exported under.
struct ImportedCharacter {
    QString url;
    int id = 0;
    QString name;
};
constexpr size_t MaxImports = 4096;

struct MovieDef;
struct MovieDef {
    int version = 0;
    // FileAttributes asks for ActionScript 3: only DoABC code runs.
    bool actionScript3 = false;
    QRectF frameRect;       // twips
    double frameRate = 12;
    int headerFrames = 0;
    QColor background = Qt::white;
    std::map<int, std::shared_ptr<Character>> dictionary;
    QHash<QString, int> exports; // linkage name as ExportKey makes it, to character id
    std::vector<ImportedCharacter> imports;
    // The movies imported characters come from, by their id here: what they
    // hold is made of those movies' characters.
    std::map<int, std::shared_ptr<const MovieDef>> importedFrom;
    Timeline root;

    const Character *character(int id) const
    {
        const auto it = dictionary.find(id);
        return it == dictionary.end() ? nullptr : it->second.get();
    }
};

// Linkage names match whatever the case of their ASCII letters; other
// letters must match exactly, as in the reference player.
inline QString ExportKey(const QString &name)
{
    QString key = name;
    for (QChar &c : key)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() - u'A' + u'a');
    return key;
}

// Reads a movie file's bytes; nullptr with a reason when it is not a movie.
std::shared_ptr<MovieDef> ParseMovie(const QByteArray &file, QString *error);

// Builds drawable paths from a shape's style groups.
std::vector<ShapeLayer> AssembleShape(const std::vector<StyleGroup> &groups, QPainterPath *outline,
                                      Qt::FillRule rule = Qt::OddEvenFill);

} // namespace swf
