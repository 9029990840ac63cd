// TextFormat as movies see it: each case is a frame script in assembly, the
// movie's version, and what its traces print (as the reference player's).
#include "ScriptCases.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ScriptCases;

namespace {

const QString Fmt = QStringLiteral("fmt");
QString newFormat() { return newObject(Fmt, QStringLiteral("TextFormat")); }

// fmt = new TextFormat(); fmt.PROPERTY = each value in turn, traced after each.
QString assignEach(const QString &property, const QStringList &values)
{
    QString source = newFormat();
    for (const QString &value : values)
        source += setMember(Fmt, property, QStringLiteral("push ") + value) + tracePath(Fmt + u'.' + property);
    return source;
}

// style = new TextField.StyleSheet().
QString newSheet()
{
    return QStringLiteral("push \"style\", 0\n") + path(QStringLiteral("TextField")) +
           QStringLiteral("push \"StyleSheet\"\nnewmethod\nsetvariable\n");
}

// trace(style.parseCSS(CSS)).
QString parse(const QString &css)
{
    return QStringLiteral("push \"%1\", 1\n").arg(css) + path(QStringLiteral("style")) +
           QStringLiteral("push \"parseCSS\"\ncallmethod\ntrace\n");
}

// trace(style.getStyle(NAME).PROPERTY).
QString traceStyle(const QString &name, const QString &property)
{
    return QStringLiteral("push \"%1\", 1\n").arg(name) + path(QStringLiteral("style")) +
           QStringLiteral("push \"getStyle\"\ncallmethod\npush \"%1\"\ngetmember\ntrace\n").arg(property);
}

// trace(Selection.METHOD(ARGUMENTS)), the arguments pushed by ASSEMBLY.
QString traceSelection(const QString &method, const QString &assembly = QStringLiteral("push 0"))
{
    return assembly + QStringLiteral("\n") + path(QStringLiteral("Selection")) +
           QStringLiteral("push \"%1\"\ncallmethod\ntrace\n").arg(method);
}

// createEmptyMovieClip("a", 0).
const QString ClipA = QStringLiteral("push 0, \"a\", 2, \"createEmptyMovieClip\"\ncallfunction\npop\n");

} // namespace

class SwfTextFormatTest : public QObject {
    Q_OBJECT
private slots:
    void coercions_data();
    void coercions() { runCase(); }
    void objects_data();
    void objects() { runCase(); }
    void styleSheets_data();
    void styleSheets() { runCase(); }
    void focus_data();
    void focus() { runCase(); }
    void snapshots_data();
    void snapshots() { runCase(); }

private:
    void runCase() { run(m_dir.path()); }
    QTemporaryDir m_dir;
};

void SwfTextFormatTest::coercions_data()
{
    addColumns();
    QTest::newRow("size: whole numbers, the lowest integer out of range from version 8")
        << 8 << assignEach(QStringLiteral("size"), {"52.5", "-1", "\"12\"", "\"x\"", "2147483648", "undefined"})
        << QStringList{"52", "-1", "12", "-2147483648", "-2147483648", "null"};
    QTest::newRow("size: wrapped before version 8")
        << 7 << assignEach(QStringLiteral("size"), {"-52.5", "2147483650", "\"x\""})
        << QStringList{"-52", "-2147483646", "0"};
    QTest::newRow("indent: never negative before version 8")
        << 7 << assignEach(QStringLiteral("indent"), {"-1", "3"}) << QStringList{"0", "3"};
    QTest::newRow("indent: negative from version 8")
        << 8 << assignEach(QStringLiteral("indent"), {"-1"}) << QStringList{"-1"};
    QTest::newRow("leftMargin: negatives and NaN are 0, too large the lowest integer")
        << 8 << assignEach(QStringLiteral("leftMargin"), {"-1", "\"x\"", "2147483648"})
        << QStringList{"0", "0", "-2147483648"};
    QTest::newRow("color: an unsigned 32-bit number")
        << 8 << assignEach(QStringLiteral("color"), {"-1", "-52.5", "true"})
        << QStringList{"4294967295", "4294967244", "1"};
    QTest::newRow("bold: truth as the version takes it")
        << 8 << assignEach(QStringLiteral("bold"), {"\"0\"", "0", "null"}) << QStringList{"true", "false", "null"};
    QTest::newRow("font: text, undefined unsets it")
        << 8 << assignEach(QStringLiteral("font"), {"1.5", "undefined"}) << QStringList{"1.5", "null"};
    QTest::newRow("align: known names in any case, others leave it")
        << 8 << assignEach(QStringLiteral("align"), {"\"LEFT\"", "\"inline\"", "null", "\"justify\""})
        << QStringList{"left", "left", "left", "justify"};
    QTest::newRow("display: block unless inline or none")
        << 8 << assignEach(QStringLiteral("display"), {"\"none\"", "\"LEFT\""}) << QStringList{"none", "block"};
    QTest::newRow("letterSpacing: any number from version 8")
        << 8 << assignEach(QStringLiteral("letterSpacing"), {"-0.5", "\"x\""}) << QStringList{"-0.5", "NaN"};
    QTest::newRow("kerning: a plain member before version 8")
        << 7 << assignEach(QStringLiteral("kerning"), {"\"x\""}) << QStringList{"x"};
}

void SwfTextFormatTest::objects_data()
{
    addColumns();
    const QString tabs = QStringLiteral("tabStops");
    QTest::newRow("tabStops: elements as whole numbers, a string's characters have none")
        << 8
        << newFormat() + setMember(Fmt, tabs, QStringLiteral("push \"b\", -2, \"3\", 3\ninitarray")) +
               tracePath(QStringLiteral("fmt.tabStops")) + setMember(Fmt, tabs, QStringLiteral("push \"ab\"")) +
               tracePath(QStringLiteral("fmt.tabStops"))
        << QStringList{"3,-2,-2147483648", "-2147483648,-2147483648"};
    QTest::newRow("tabStops: an empty list sets them only once given")
        << 8
        << newFormat() + setMember(Fmt, tabs, QStringLiteral("push 0\ninitarray")) +
               tracePath(QStringLiteral("fmt.tabStops")) + setMember(Fmt, tabs, QStringLiteral("push 4, 1\ninitarray")) +
               setMember(Fmt, tabs, QStringLiteral("push 5")) + tracePath(QStringLiteral("fmt.tabStops.length"))
        << QStringList{"null", "0"};
    QTest::newRow("constructor: font, size, color, bold, italic, underline, url, target, align, margins, indent")
        << 8
        << newObject(Fmt, QStringLiteral("TextFormat"),
                     {"\"str\"", "-2", "16711935", "true", "false", "true", "\"u\"", "\"_self\"", "\"center\"", "2",
                      "3", "4"}) +
               tracePath(QStringLiteral("fmt.size")) + tracePath(QStringLiteral("fmt.color")) +
               tracePath(QStringLiteral("fmt.italic")) + tracePath(QStringLiteral("fmt.align")) +
               tracePath(QStringLiteral("fmt.rightMargin")) + tracePath(QStringLiteral("fmt.indent")) +
               tracePath(QStringLiteral("fmt.leading")) + tracePath(QStringLiteral("fmt.display"))
        << QStringList{"-2", "16711935", "false", "center", "3", "4", "null", "block"};
    const QString logging = newObject(QStringLiteral("o"), QStringLiteral("Object")) +
                            setMember(QStringLiteral("o"), QStringLiteral("valueOf"),
                                      QStringLiteral("function ()\npush \"v\"\ntrace\npush 7\nreturn\nend")) +
                            setMember(QStringLiteral("o"), QStringLiteral("toString"),
                                      QStringLiteral("function ()\npush \"s\"\ntrace\npush \"t\"\nreturn\nend"));
    QTest::newRow("an object converts twice to a number, then to text, whatever the property")
        << 8
        << logging + newFormat() + setMember(Fmt, QStringLiteral("size"), path(QStringLiteral("o"))) +
               tracePath(QStringLiteral("fmt.size")) + setMember(Fmt, QStringLiteral("bold"), path(QStringLiteral("o")))
        << QStringList{"v", "v", "s", "7", "v", "v", "s"};
    QTest::newRow("the accessors appear on the prototype with the first format")
        << 8
        << QStringLiteral("push \"font\", 1\n") + path(QStringLiteral("TextFormat.prototype")) +
               "push \"hasOwnProperty\"\ncallmethod\ntrace\n" + newFormat() + QStringLiteral("push \"font\", 1\n") +
               path(QStringLiteral("TextFormat.prototype")) + "push \"hasOwnProperty\"\ncallmethod\ntrace\n" +
               tracePath(QStringLiteral("TextFormat.prototype.font"))
        << QStringList{"false", "true", "undefined"};
    QTest::newRow("getTextExtent of no text is empty")
        << 8
        << newFormat() + QStringLiteral("push \"e\", \"\", 1\n") + path(Fmt) +
               "push \"getTextExtent\"\ncallmethod\nsetvariable\n" + tracePath(QStringLiteral("e.width")) +
               tracePath(QStringLiteral("e.height"))
        << QStringList{"0", "0"};
}

void SwfTextFormatTest::styleSheets_data()
{
    addColumns();
    QTest::newRow("selectors apart by commas share the declarations; values keep trailing space")
        << 8 << newSheet() + parse(QStringLiteral(",a,, b { x: 1 ; y:2}")) + traceStyle("a", "x") + traceStyle("b", "y")
        << QStringList{"true", "1 ", "2"};
    QTest::newRow("hyphens upper-case the next character, a last one stays")
        << 8 << newSheet() + parse(QStringLiteral("a { font-size: 1; b--b: 2; e-: 3}")) + traceStyle("a", "fontSize") +
                    traceStyle("a", "b-b") + traceStyle("a", "e-")
        << QStringList{"true", "1", "2", "3"};
    QTest::newRow("a fault rejects it all")
        << 8 << newSheet() + parse(QStringLiteral("a { x: 1; }")) + parse(QStringLiteral("a { x: 2;; }")) +
                    parse(QStringLiteral("a b { x: 3; }")) + parse(QStringLiteral("a { x: 4")) + traceStyle("a", "x")
        << QStringList{"true", "false", "false", "false", "1"};
    QTest::newRow("the text may end after a declaration")
        << 8 << newSheet() + parse(QStringLiteral("a { x: 1; ")) + traceStyle("a", "x") << QStringList{"true", "1"};
    QTest::newRow("braces around white space alone are a fault before version 8")
        << 7 << newSheet() + parse(QStringLiteral("a {}")) + parse(QStringLiteral("a { }")) << QStringList{"true", "false"};
    QTest::newRow("parseCSSFontFamily: the generic names in any case")
        << 8
        << newSheet() + "push \"SANS-SERIF\", 1\n" +
               path(QStringLiteral("style")) + "push \"parseCSSFontFamily\"\ncallmethod\ntrace\n" +
               "push \"serif \", 1\n" + path(QStringLiteral("style")) +
               "push \"parseCSSFontFamily\"\ncallmethod\ntrace\n"
        << QStringList{"_sans", "serif "};
}

void SwfTextFormatTest::focus_data()
{
    addColumns();
    QTest::newRow("no argument fails, null and undefined clear the focus")
        << 8
        << traceSelection(QStringLiteral("setFocus")) + traceSelection(QStringLiteral("setFocus"), "push null, 1") +
               traceSelection(QStringLiteral("setFocus"), "push undefined, 1") +
               traceSelection(QStringLiteral("getFocus"))
        << QStringList{"false", "true", "true", "null"};
    QTest::newRow("a clip takes the focus while focusEnabled, answering false")
        << 8
        << ClipA + traceSelection(QStringLiteral("setFocus"), "push \"a\"\ngetvariable\npush 1") +
               traceSelection(QStringLiteral("getFocus")) +
               setMember(QStringLiteral("a"), QStringLiteral("focusEnabled"), QStringLiteral("push true")) +
               traceSelection(QStringLiteral("setFocus"), "push \"a\"\ngetvariable\npush 1") +
               traceSelection(QStringLiteral("getFocus"))
        << QStringList{"false", "null", "false", "_level0.a"};
    QTest::newRow("the root never takes it")
        << 8
        << setMember(QStringLiteral("this"), QStringLiteral("focusEnabled"), QStringLiteral("push true")) +
               traceSelection(QStringLiteral("setFocus"), "push \"this\"\ngetvariable\npush 1") +
               traceSelection(QStringLiteral("getFocus"))
        << QStringList{"false", "null"};
    QTest::newRow("addProperty on a clip: its getter answers focusEnabled")
        << 8
        << ClipA + "push null\nfunction ()\npush \"getter\"\ntrace\npush true\nreturn\nend\n" +
               "push \"focusEnabled\", 3, \"a\"\ngetvariable\npush \"addProperty\"\ncallmethod\npop\n" +
               traceSelection(QStringLiteral("setFocus"), "push \"a\"\ngetvariable\npush 1") +
               traceSelection(QStringLiteral("getFocus"))
        << QStringList{"getter", "false", "_level0.a"};
}

void SwfTextFormatTest::snapshots_data()
{
    addColumns();
    QTest::newRow("the prototype's methods may be deleted")
        << 8
        << path(QStringLiteral("TextSnapshot.prototype")) + "push \"getCount\"\ndelete\ntrace\n" +
               tracePath(QStringLiteral("TextSnapshot.prototype.getCount"))
        << QStringList{"true", "undefined"};
    QTest::newRow("clips make snapshots from version 6")
        << 6
        << QStringLiteral("push 0\n") + path(QStringLiteral("this")) +
               "push \"getTextSnapshot\"\ncallmethod\npush \"getCount\"\ngetmember\ntypeof\ntrace\n"
        << QStringList{"function"};
}

QTEST_MAIN(SwfTextFormatTest)
#include "tst_swf_textformat.moc"
