// TextField as movies see it: fields made by createTextField, their
// properties as the reference player converts and reads them back, text
// bound to variables, and what the player draws of a field a script made.
#include "ScriptCases.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

using namespace ScriptCases;

namespace {

// t = a field at depth 1 of the clip running the script, 150 by 40 pixels at 10, 10.
const QString MakeField = QStringLiteral("push 40, 150, 10, 10, 1, \"t\", 6\npush \"this\"\ngetvariable\n"
                                         "push \"createTextField\"\ncallmethod\n");

// t.PROPERTY = the value VALUE pushes.
QString set(const QString &property, const QString &value)
{
    return QStringLiteral("push \"t\"\ngetvariable\npush \"%1\"\npush %2\nsetmember\n").arg(property, value);
}

QString traceOf(const QString &property)
{
    return QStringLiteral("push \"t\"\ngetvariable\npush \"%1\"\ngetmember\ntrace\n").arg(property);
}

QString traceVariable(const QString &name) { return QStringLiteral("push \"%1\"\ngetvariable\ntrace\n").arg(name); }

// Sets the property to each value in turn and traces what it reads back.
QString readBack(const QString &property, const QStringList &values)
{
    QString source = MakeField + QStringLiteral("pop\n");
    for (const QString &value : values)
        source += set(property, value) + traceOf(property);
    return source;
}

// t.METHOD(ARGS), its answer dropped.
QString callOnField(const QString &method, const QStringList &args)
{
    return pushArguments(args) + QStringLiteral(", \"t\"\ngetvariable\npush \"%1\"\ncallmethod\npop\n").arg(method);
}

QString traceSelection(const QString &method, const QStringList &args = {})
{
    return pushArguments(args) + QStringLiteral(", \"Selection\"\ngetvariable\npush \"%1\"\ncallmethod\ntrace\n").arg(method);
}

// The movie control in a widget, as the player window hosts it: the stage
// fills the widget, the left button and the keys go to the movie.
class MovieHost : public QWidget {
public:
    swf::FlashControl control;

    MovieHost()
    {
        connect(&control, &swf::FlashControl::changed, this, qOverload<>(&QWidget::update));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        control.paint(painter, rect());
    }
    void mousePressEvent(QMouseEvent *event) override { control.pointerPress(event->position(), rect()); }
    void mouseReleaseEvent(QMouseEvent *event) override { control.pointerRelease(event->position(), rect()); }
    void keyPressEvent(QKeyEvent *event) override { control.keyPress(Qt::Key(event->key()), event->text()); }
    void keyReleaseEvent(QKeyEvent *event) override { control.keyRelease(Qt::Key(event->key())); }
};

// An input field t (as MakeField places it) bound to the variable v, whose
// every change traces v; SETUP sets more of it.
QString inputMovie(const QString &setup)
{
    return MakeField + "pop\n" + set(QStringLiteral("type"), QStringLiteral("\"input\"")) +
           set(QStringLiteral("variable"), QStringLiteral("\"v\"")) + setup +
           "push \"t\"\ngetvariable\npush \"onChanged\"\nfunction ()\npush \"v\"\ngetvariable\ntrace\nend\n"
           "setmember\n";
}

// Dark pixels inside the field, where text and caret are drawn.
int inkInField(const QImage &stage)
{
    const QRect inside(12, 12, 146, 36);
    int ink = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ink += qGray(stage.pixel(x, y)) < 128;
    return ink;
}

} // namespace

class SwfTextTest : public QObject {
    Q_OBJECT
private slots:
    void fields_data();
    void fields() { runCase(); }
    void properties_data();
    void properties() { runCase(); }
    void text_data();
    void text() { runCase(); }
    void formats_data();
    void formats() { runCase(); }
    void scriptCaptionIsDrawn();
    void replace_data();
    void replace() { runCase(); }
    void selection_data();
    void selection() { runCase(); }
    void scrolling_data();
    void scrolling() { runCase(); }
    void typing_data();
    void typing();
    void caretIsDrawnAndBlinks();

private:
    void runCase() { run(m_dir.path()); }
    QTemporaryDir m_dir;
};

void SwfTextTest::fields_data()
{
    addColumns();
    const QString made = MakeField + QStringLiteral("trace\n") + traceVariable(QStringLiteral("t"));
    QTest::newRow("version 5: no field object, the name gives its clip") << 5 << made << QStringList{"undefined", "_level0"};
    QTest::newRow("version 6: createTextField answers nothing") << 6 << made << QStringList{"undefined", "_level0.t"};
    QTest::newRow("version 8: createTextField answers the field") << 8 << made << QStringList{"_level0.t", "_level0.t"};
    QTest::newRow("fields inherit TextField.prototype's own properties")
        << 6
        << MakeField + "pop\npush \"text\", 1\npush \"_global\"\ngetvariable\npush \"TextField\"\ngetmember\n"
                       "push \"prototype\"\ngetmember\npush \"hasOwnProperty\"\ncallmethod\ntrace\n" +
               traceOf(QStringLiteral("text")) + traceOf(QStringLiteral("html")) + traceOf(QStringLiteral("type"))
        << QStringList{"true", "", "false", "dynamic"};
}

void SwfTextTest::properties_data()
{
    addColumns();
    const QString truths = readBack(QStringLiteral("html"), {"\"1\"", "\"0\"", "\"Hello World!\"", "0.5", "NaN"});
    QTest::newRow("truth values: strings as numbers before version 7")
        << 6 << truths << QStringList{"true", "false", "false", "true", "false"};
    QTest::newRow("truth values: non-empty strings from version 7")
        << 7 << truths << QStringList{"true", "true", "true", "true", "false"};
    QTest::newRow("an object given for a truth value has valueOf called")
        << 6
        << MakeField + "pop\npush \"o\", 0, \"Object\"\nnewobject\nsetvariable\n"
                       "push \"o\"\ngetvariable\npush \"valueOf\"\nfunction ()\npush \"valueOf called\"\ntrace\n"
                       "push 0\nreturn\nend\nsetmember\n" +
               set(QStringLiteral("wordWrap"), QStringLiteral("\"o\"\ngetvariable")) + traceOf(QStringLiteral("wordWrap"))
        << QStringList{"valueOf called", "true"};
    QTest::newRow("colours keep the low 24 bits")
        << 7 << readBack(QStringLiteral("textColor"), {"-1", "17000000", "0.5", "true", "\"x\""})
        << QStringList{"16777215", "222784", "0", "1", "0"};
    QTest::newRow("maxChars: whole numbers, no limit reads as null")
        << 7 << readBack(QStringLiteral("maxChars"), {"0", "0.5", "true", "-1", "17000000", "undefined"})
        << QStringList{"null", "null", "1", "-1", "17000000", "null"};
    QTest::newRow("autoSize: true is left, unknown names are none")
        << 7 << readBack(QStringLiteral("autoSize"), {"\"center\"", "1", "true", "\"right\"", "\"middle\""})
        << QStringList{"center", "none", "left", "right", "none"};
    QTest::newRow("type: only the two names change it")
        << 7 << readBack(QStringLiteral("type"), {"\"input\"", "\"static\"", "1", "\"dynamic\""})
        << QStringList{"input", "input", "input", "dynamic"};
    QTest::newRow("variable and restrict: nothing and empty read as null")
        << 7
        << readBack(QStringLiteral("variable"), {"\"v\"", "undefined", "\"\"", "0"}) +
               set(QStringLiteral("restrict"), QStringLiteral("\"abc\"")) + traceOf(QStringLiteral("restrict")) +
               set(QStringLiteral("restrict"), QStringLiteral("\"\"")) + traceOf(QStringLiteral("restrict")) +
               set(QStringLiteral("restrict"), QStringLiteral("null")) + traceOf(QStringLiteral("restrict")) +
               set(QStringLiteral("restrict"), QStringLiteral("\"\"")) + traceOf(QStringLiteral("restrict"))
        << QStringList{"v", "null", "null", "0", "abc", "", "null", "null"};
    QTest::newRow("styleSheet keeps objects only")
        << 7
        << MakeField + "pop\n" + set(QStringLiteral("styleSheet"), QStringLiteral("0, \"Object\"\nnewobject")) +
               traceOf(QStringLiteral("styleSheet")) + set(QStringLiteral("styleSheet"), QStringLiteral("\"s\"")) +
               traceOf(QStringLiteral("styleSheet"))
        << QStringList{"[object Object]", "undefined"};
}

void SwfTextTest::text_data()
{
    addColumns();
    const QString replaced = MakeField + "pop\npush \"Hell\", 0, 0, 3, \"t\"\ngetvariable\npush \"replaceText\"\n"
                                         "callmethod\npop\npush \"o World\", 4, 4, 3, \"t\"\ngetvariable\n"
                                         "push \"replaceText\"\ncallmethod\npop\n" +
                             traceOf(QStringLiteral("text")) +
                             "push \"Hi\", 5, 0, 3, \"t\"\ngetvariable\npush \"replaceText\"\ncallmethod\npop\n" +
                             traceOf(QStringLiteral("text"));
    QTest::newRow("replaceText: none before version 7") << 6 << replaced << QStringList{"", ""};
    QTest::newRow("replaceText: begin up to end") << 7 << replaced << QStringList{"Hello World", "Hi World"};
    QTest::newRow("text converts as strings do")
        << 7 << readBack(QStringLiteral("text"), {"undefined", "null", "0.5"}) + traceOf(QStringLiteral("length"))
        << QStringList{"undefined", "null", "0.5", "3"};
    QTest::newRow("htmlText of an HTML field: a paragraph a line, the default font")
        << 7
        << MakeField + "pop\n" + set(QStringLiteral("html"), QStringLiteral("true")) +
               set(QStringLiteral("htmlText"), QStringLiteral("\"12345\r12<p align='right'>34&amp;</p>\"")) +
               traceOf(QStringLiteral("htmlText")) + traceOf(QStringLiteral("length"))
        << QStringList{"<P ALIGN=\"LEFT\"><FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" "
                       "KERNING=\"0\">12345</FONT></P><P ALIGN=\"LEFT\"><FONT FACE=\"Times New Roman\" SIZE=\"12\" "
                       "COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\">1234&amp;</FONT></P>",
                       "11"};
    QTest::newRow("htmlText of a plain field is its text")
        << 7 << MakeField + "pop\n" + set(QStringLiteral("htmlText"), QStringLiteral("\"<b>a</b>\"")) +
                    traceOf(QStringLiteral("text"))
        << QStringList{"<b>a</b>"};
    QTest::newRow("a bound variable starts with the field's text and takes what is set")
        << 8
        << MakeField + "pop\n" + set(QStringLiteral("text"), QStringLiteral("\"Hello1\"")) +
               set(QStringLiteral("variable"), QStringLiteral("\"v\"")) + traceVariable(QStringLiteral("v")) +
               set(QStringLiteral("text"), QStringLiteral("\"Hello2\"")) + traceVariable(QStringLiteral("v")) +
               traceOf(QStringLiteral("text"))
        << QStringList{"Hello1", "Hello2", "Hello2"};
}

void SwfTextTest::formats_data()
{
    addColumns();
    // f = new TextFormat(); f.size = 6 + i; t.setTextFormat(i, i + 1, f) for each of three characters,
    // then the size of each character (t.getTextFormat(i)) and of them all (t.getTextFormat()).
    QString sized = MakeField + "pop\n" + set(QStringLiteral("text"), QStringLiteral("\"abc\"")) +
                    "push \"f\", 0, \"TextFormat\"\nnewobject\nsetvariable\n";
    for (int i = 0; i < 3; ++i)
        sized += QStringLiteral("push \"f\"\ngetvariable\npush \"size\", %1\nsetmember\n"
                                "push \"f\"\ngetvariable\npush %2, %3, 3, \"t\"\ngetvariable\n"
                                "push \"setTextFormat\"\ncallmethod\npop\n")
                     .arg(6 + i)
                     .arg(i + 1)
                     .arg(i);
    const QString sizeOf = QStringLiteral("%1, \"t\"\ngetvariable\npush \"getTextFormat\"\ncallmethod\n"
                                          "push \"size\"\ngetmember\ntrace\n");
    for (const char *args : {"0, 1", "1, 1", "2, 1", "0"})
        sized += QStringLiteral("push ") + sizeOf.arg(QLatin1String(args));
    QTest::newRow("a format a character; what differs reads as null")
        << 6 << sized << QStringList{"6", "7", "8", "null"};
    const QString newFormat = QStringLiteral("push 0, \"t\"\ngetvariable\npush \"getNewTextFormat\"\ncallmethod\n");
    QTest::newRow("new text takes the new text format")
        << 6
        << MakeField + "pop\n" + newFormat + "push \"font\"\ngetmember\ntrace\n" + newFormat +
               "push \"size\"\ngetmember\ntrace\n"
               "push \"f\", 0, \"TextFormat\"\nnewobject\nsetvariable\n"
               "push \"f\"\ngetvariable\npush \"size\", 5\nsetmember\n"
               "push \"f\"\ngetvariable\npush 1, \"t\"\ngetvariable\npush \"setNewTextFormat\"\ncallmethod\npop\n" +
               set(QStringLiteral("text"), QStringLiteral("\"ab\"")) + QStringLiteral("push ") +
               sizeOf.arg(QLatin1String("0")) + newFormat + "push \"font\"\ngetmember\ntrace\n"
        << QStringList{"Times New Roman", "12", "5", "Times New Roman"};

    // The text of "<p align='right'>a<b>b</b></p>\rc": a, b, a carriage return and c.
    auto formatOf = [](const char *args, const char *property) {
        return QStringLiteral("push %1, \"t\"\ngetvariable\npush \"getTextFormat\"\ncallmethod\n"
                              "push \"%2\"\ngetmember\ntrace\n")
            .arg(QLatin1String(args), QLatin1String(property));
    };
    QTest::newRow("HTML gives each character its format; a paragraph's end waits for text")
        << 7
        << MakeField + "pop\n" + set(QStringLiteral("html"), QStringLiteral("true")) +
               set(QStringLiteral("htmlText"), QStringLiteral("\"<p align='right'>a<b>b</b></p>\rc\"")) +
               traceOf(QStringLiteral("length")) + formatOf("0, 1", "bold") + formatOf("1, 1", "bold") +
               formatOf("1, 1", "align") + formatOf("3, 1", "align") + formatOf("2, 0, 2", "align") +
               formatOf("4, 0, 2", "align") + formatOf("0", "bold")
        << QStringList{"4", "false", "true", "right", "left", "right", "null", "null"};
    const QString ended = MakeField + "pop\n" + set(QStringLiteral("html"), QStringLiteral("true")) +
                          set(QStringLiteral("htmlText"), QStringLiteral("\"<p align='right'>a</p>\rb\r\"")) +
                          traceOf(QStringLiteral("length")) + formatOf("1, 1", "align");
    QTest::newRow("version 6: a paragraph's end is a character of its own, in the paragraph's format")
        << 6 << ended << QStringList{"5", "right"};
    QTest::newRow("version 7: a carriage return after a paragraph is its end") << 7 << ended << QStringList{"4", "left"};
    const auto written = [](const QString &html) {
        return MakeField + "pop\n" + set(QStringLiteral("html"), QStringLiteral("true")) +
               set(QStringLiteral("htmlText"), u'"' + html + u'"') + traceOf(QStringLiteral("htmlText"));
    };
    const QString open = QStringLiteral("<P ALIGN=\"LEFT\"><FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#000000\" "
                                        "LETTERSPACING=\"0\" KERNING=\"0\">");
    QTest::newRow("htmlText: each run has its own styles")
        << 7 << written(QStringLiteral("a<u>b<b>c</b>d</u>e"))
        << QStringList{open + "a<U>b</U><B><U>c</U></B><U>d</U>e</FONT></P>"};
    QTest::newRow("htmlText: fonts nest naming what changes, and close where the text returns")
        << 7
        << written(QStringLiteral("a<font size='1' color='#ff0000'>b<font size='2' color='#00ff00'>c<font "
                                  "color='#0000ff'>d<u>e")) +
               set(QStringLiteral("htmlText"), QStringLiteral("\"ab<font size='10'>c</font>d\"")) +
               traceOf(QStringLiteral("htmlText"))
        << QStringList{open + "a<FONT SIZE=\"1\" COLOR=\"#FF0000\">b<FONT SIZE=\"2\" COLOR=\"#00FF00\">c<FONT "
                              "COLOR=\"#0000FF\">d<U>e</U></FONT></FONT></FONT></FONT></P>",
                       open + "ab<FONT SIZE=\"10\">c</FONT>d</FONT></P>"};
    QTest::newRow("htmlText: the face of the new text format")
        << 7
        << MakeField + "pop\npush \"f\", 0, \"TextFormat\"\nnewobject\nsetvariable\n"
                       "push \"f\"\ngetvariable\npush \"font\", \"Bitstream Vera Sans\"\nsetmember\n"
                       "push \"f\"\ngetvariable\npush 1, \"t\"\ngetvariable\npush \"setNewTextFormat\"\ncallmethod\npop\n" +
               set(QStringLiteral("html"), QStringLiteral("true")) + set(QStringLiteral("text"), QStringLiteral("\"a\"")) +
               traceOf(QStringLiteral("htmlText"))
        << QStringList{QString(open).replace(QStringLiteral("Times New Roman"), QStringLiteral("Bitstream Vera Sans")) +
                       "a</FONT></P>"};
}

// A caption a script makes shows its text in its colour.
void SwfTextTest::scriptCaptionIsDrawn()
{
    const QString source = MakeField + "pop\n" + set(QStringLiteral("text"), QStringLiteral("\"WWWWWWWW\"")) +
                           set(QStringLiteral("textColor"), QStringLiteral("16711680"));
    const QString path = m_dir.filePath(QStringLiteral("caption.swf"));
    TestFiles::write(path, SwfWriter::movie(SwfWriter::doAction(ActionAssembler::assemble(source)) +
                                                SwfWriter::showFrame(),
                                            8));
    swf::FlashControl control;
    control.setMovie(path);
    const QImage stage = control.renderStage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(!stage.isNull());
    const double scale = double(stage.width()) / 200; // the test movie's stage is 200 pixels wide
    const QRect field = QRectF(10 * scale, 10 * scale, 150 * scale, 40 * scale).toAlignedRect();
    int red = 0, elsewhere = 0;
    for (int y = 0; y < stage.height(); ++y)
        for (int x = 0; x < stage.width(); ++x) {
            const QRgb p = stage.pixel(x, y);
            if (qRed(p) > 160 && qGreen(p) < 100 && qBlue(p) < 100)
                ++(field.contains(x, y) ? red : elsewhere);
        }
    QVERIFY2(red > 20, qPrintable(QStringLiteral("%1 red pixels in the field").arg(red)));
    QCOMPARE(elsewhere, 0);
}

void SwfTextTest::replace_data()
{
    addColumns();
    const QString hello = MakeField + "pop\n" + set(QStringLiteral("text"), QStringLiteral("\"Hello world!\""));
    const QString text = traceOf(QStringLiteral("text"));
    QTest::newRow("a negative begin or an end before begin changes nothing")
        << 7 << hello + callOnField("replaceText", {"-1", "5", "\"Hi\""}) + callOnField("replaceText", {"50", "45", "\"Hi\""}) + text
        << QStringList{"Hello world!"};
    QTest::newRow("indices past the text reach its end")
        << 7 << hello + callOnField("replaceText", {"50", "55", "\"Hi\""}) + text << QStringList{"Hello world!Hi"};
    QTest::newRow("version 7: an empty text removes nothing")
        << 7 << hello + callOnField("replaceText", {"1", "2", "\"\""}) + text << QStringList{"Hello world!"};
    QTest::newRow("version 8: an empty text removes")
        << 8 << hello + callOnField("replaceText", {"1", "2", "\"\""}) + text << QStringList{"Hllo world!"};
    const QString sized = hello +
                          "push \"f\", 0, \"TextFormat\"\nnewobject\nsetvariable\n"
                          "push \"f\"\ngetvariable\npush \"size\", 20\nsetmember\n" +
                          "push \"f\"\ngetvariable\npush 3, 0, 3, \"t\"\ngetvariable\npush \"setTextFormat\"\ncallmethod\npop\n" +
                          "push \"f\"\ngetvariable\npush \"size\", 5\nsetmember\n" +
                          "push \"f\"\ngetvariable\npush 1, \"t\"\ngetvariable\npush \"setNewTextFormat\"\ncallmethod\npop\n" + callOnField("replaceText", {"5", "5", "\"\""}) +
                          "push 0, \"t\"\ngetvariable\npush \"getNewTextFormat\"\ncallmethod\npush \"size\"\ngetmember\ntrace\n";
    QTest::newRow("the first character's format becomes the new text format") << 7 << sized << QStringList{"20"};
    QTest::newRow("the new text takes the format of the character after it")
        << 7 << sized + callOnField("replaceText", {"1", "2", "\"XY\""}) +
                   "push 1, 2, \"t\"\ngetvariable\npush \"getTextFormat\"\ncallmethod\npush \"size\"\ngetmember\ntrace\n"
        << QStringList{"20", "20"};
}

void SwfTextTest::selection_data()
{
    addColumns();
    const QString field = MakeField + "pop\n" + set(QStringLiteral("text"), QStringLiteral("\"Hello\""));
    QTest::newRow("no focus: no caret, no selection")
        << 7 << field + traceSelection("getCaretIndex") + traceSelection("getBeginIndex") + traceSelection("getFocus")
        << QStringList{"-1", "-1", "null"};
    QTest::newRow("a text field takes the focus; setSelection sets the selection and caret")
        << 7
        << field + traceSelection("setFocus", {"\"t\""}) + traceSelection("getFocus") +
               traceSelection("setSelection", {"1", "3"}) + traceSelection("getBeginIndex") +
               traceSelection("getEndIndex") + traceSelection("getCaretIndex")
        << QStringList{"true", "_level0.t", "undefined", "1", "3", "3"};
    const auto handler = [](const char *name, const char *said) {
        return QStringLiteral("push \"t\"\ngetvariable\npush \"%1\"\nfunction (other)\npush \"%2 \", \"other\"\n"
                              "getvariable\nadd2\ntrace\nend\nsetmember\n")
            .arg(QLatin1String(name), QLatin1String(said));
    };
    QTest::newRow("onSetFocus hears the focus it took from, onKillFocus the one it goes to, after the script")
        << 7
        << field + handler("onSetFocus", "set") + handler("onKillFocus", "kill") +
               traceSelection("setFocus", {"\"t\""}) + traceSelection("setFocus", {"null"})
        << QStringList{"true", "true", "set null", "kill null"};
    QTest::newRow("taking the focus away")
        << 7 << field + traceSelection("setFocus", {"\"t\""}) + traceSelection("setFocus", {"null"}) +
                   traceSelection("getFocus") + traceSelection("getEndIndex")
        << QStringList{"true", "true", "null", "-1"};
}

void SwfTextTest::scrolling_data()
{
    addColumns();
    const QString multiline = MakeField + "pop\n" + set(QStringLiteral("multiline"), QStringLiteral("true"));
    // Ten lines of 12-pixel text in a field 40 pixels tall: two show.
    const QString tall = multiline + set(QStringLiteral("text"), QStringLiteral("\"1\r2\r3\r4\r5\r6\r7\r8\r9\r10\""));
    const auto each = [](const QStringList &properties) {
        QString source;
        for (const QString &property : properties)
            source += traceOf(property);
        return source;
    };
    const QStringList scrolls{"scroll", "maxscroll", "bottomScroll", "hscroll", "maxhscroll"};
    QTest::newRow("text that fits does not scroll")
        << 7 << multiline + set(QStringLiteral("text"), QStringLiteral("\"a\"")) + each(scrolls)
        << QStringList{"1", "1", "1", "0", "0"};
    QTest::newRow("lines below the box: maxscroll brings the last to the bottom")
        << 7 << tall + each(scrolls) << QStringList{"1", "9", "2", "0", "0"};
    QTest::newRow("scroll stays within 1 and maxscroll")
        << 7
        << tall + set(QStringLiteral("scroll"), QStringLiteral("4")) + each({"scroll", "bottomScroll"}) +
               set(QStringLiteral("scroll"), QStringLiteral("100")) + traceOf(QStringLiteral("scroll")) +
               set(QStringLiteral("scroll"), QStringLiteral("-3")) + traceOf(QStringLiteral("scroll"))
        << QStringList{"4", "5", "9", "1"};
    const QString scroller = "push \"t\"\ngetvariable\npush \"onScroller\"\nfunction (f)\npush \"scrolled \", \"f\"\n"
                             "getvariable\npush \"scroll\"\ngetmember\nadd2\ntrace\nend\nsetmember\n";
    QTest::newRow("onScroller hears a change of scroll, not the same value again")
        << 7 << tall + scroller + set(QStringLiteral("scroll"), QStringLiteral("3")) + set(QStringLiteral("scroll"), QStringLiteral("3"))
        << QStringList{"scrolled 3"};
    const QString listener = "push \"o\", 0, \"Object\"\nnewobject\nsetvariable\n"
                             "push \"o\"\ngetvariable\npush \"onScroller\"\nfunction (f)\npush \"heard \", \"f\"\n"
                             "getvariable\npush \"scroll\"\ngetmember\nadd2\ntrace\nend\nsetmember\n"
                             "push \"o\"\ngetvariable\npush 1, \"t\"\ngetvariable\npush \"addListener\"\ncallmethod\ntrace\n";
    QTest::newRow("listeners hear onScroller until they are removed")
        << 7
        << tall + listener + set(QStringLiteral("scroll"), QStringLiteral("2")) +
               "push \"o\"\ngetvariable\npush 1, \"t\"\ngetvariable\npush \"removeListener\"\ncallmethod\ntrace\n" +
               set(QStringLiteral("scroll"), QStringLiteral("3")) + traceOf(QStringLiteral("scroll"))
        << QStringList{"true", "heard 2", "true", "3"};
    QTest::newRow("textWidth and textHeight grow with the text")
        << 7
        << multiline + set(QStringLiteral("text"), QStringLiteral("\"W\"")) +
               "push \"w\", \"t\"\ngetvariable\npush \"textWidth\"\ngetmember\nsetvariable\n"
               "push \"h\", \"t\"\ngetvariable\npush \"textHeight\"\ngetmember\nsetvariable\n" +
               set(QStringLiteral("text"), QStringLiteral("\"WW\rW\"")) +
               "push \"w\"\ngetvariable\npush \"t\"\ngetvariable\npush \"textWidth\"\ngetmember\nless2\ntrace\n"
               "push \"h\"\ngetvariable\npush \"t\"\ngetvariable\npush \"textHeight\"\ngetmember\nless2\ntrace\n"
        << QStringList{"true", "true"};
    QTest::newRow("odd arguments change nothing they cannot")
        << 7
        << MakeField + "pop\n" + set(QStringLiteral("text"), QStringLiteral("\"Hello\"")) +
               set(QStringLiteral("scroll"), QStringLiteral("NaN")) + set(QStringLiteral("hscroll"), QStringLiteral("1e300")) +
               callOnField("replaceText", {"NaN", "2", "\"x\""}) + traceSelection("setFocus", {"\"t\""}) +
               traceSelection("setSelection", {"NaN", "-5"}) + traceSelection("getCaretIndex") +
               callOnField("replaceSel", {}) + each({"text", "scroll", "hscroll"})
        << QStringList{"true", "undefined", "0", "Hello", "1", "0"};
    QTest::newRow("replaceSel replaces the selection and moves the caret after it")
        << 7
        << MakeField + "pop\n" + set(QStringLiteral("text"), QStringLiteral("\"Hello\"")) +
               traceSelection("setFocus", {"\"t\""}) + traceSelection("setSelection", {"1", "3"}) +
               callOnField("replaceSel", {"\"EY\""}) + traceOf(QStringLiteral("text")) + traceSelection("getCaretIndex")
        << QStringList{"true", "undefined", "HEYlo", "3"};
}

void SwfTextTest::typing_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QStringList>("keys"); // text, or a key in angle brackets
    QTest::addColumn<QString>("bound"); // the last line traced: v, unless a listener traces after it
    QTest::addColumn<int>("clickX"); // where the field is clicked, in stage pixels
    QTest::newRow("printable characters") << QString() << QStringList{"Hello"} << "Hello" << 30;
    QTest::newRow("Backspace, Home and Delete")
        << QString() << QStringList{"Hello", "<Backspace>", "<Home>", "<Delete>"} << "ell" << 30;
    QTest::newRow("Left and End move the caret") << QString() << QStringList{"ac", "<Left>", "b", "<End>", "d"} << "abcd" << 30;
    QTest::newRow("restrict keeps out what it does not list")
        << set(QStringLiteral("restrict"), QStringLiteral("\"0-9\"")) << QStringList{"a1b2"} << "12" << 30;
    QTest::newRow("restrict with ^ keeps out what follows")
        << set(QStringLiteral("restrict"), QStringLiteral("\"^a-c\"")) << QStringList{"abcdef"} << "def" << 30;
    QTest::newRow("maxChars") << set(QStringLiteral("maxChars"), QStringLiteral("3")) << QStringList{"abcdef"} << "abc" << 30;
    QTest::newRow("Enter breaks only a multiline field's line")
        << QString() << QStringList{"a", "<Return>", "b"} << "ab" << 30;
    QTest::newRow("multiline: Enter breaks the line")
        << set(QStringLiteral("multiline"), QStringLiteral("true")) << QStringList{"a", "<Return>", "b"} << "a\rb" << 30;
    const QString ab = set(QStringLiteral("text"), QStringLiteral("\"ab\""));
    QTest::newRow("a click at the left puts the caret before the text") << ab << QStringList{"c"} << "cab" << 11;
    QTest::newRow("a click past the text puts the caret after it") << ab << QStringList{"c"} << "abc" << 150;
    // A listener traces after the field's own onChanged: whether the text moved left.
    const QString listener = "push \"o\", 0, \"Object\"\nnewobject\nsetvariable\n"
                             "push \"o\"\ngetvariable\npush \"onChanged\"\nfunction (f)\npush 0, \"f\"\n"
                             "getvariable\npush \"hscroll\"\ngetmember\nless2\ntrace\nend\nsetmember\n"
                             "push \"o\"\ngetvariable\npush 1, \"t\"\ngetvariable\npush \"addListener\"\ncallmethod\npop\n";
    QTest::newRow("typing past the right edge scrolls the text left")
        << listener << QStringList{QString(30, u'W')} << "true" << 30;
    QTest::newRow("text that fits does not scroll") << listener << QStringList{"W"} << "false" << 30;
}

// Keys typed into the player window edit the field clicked, its variable and onChanged following.
void SwfTextTest::typing()
{
    QFETCH(QString, setup);
    QFETCH(QStringList, keys);
    QFETCH(QString, bound);
    QFETCH(int, clickX);
    const QString path = m_dir.filePath(QStringLiteral("input.swf"));
    TestFiles::write(path, SwfWriter::movie(SwfWriter::doAction(ActionAssembler::assemble(inputMovie(setup))) +
                                                SwfWriter::showFrame(),
                                            8));
    MovieHost host;
    QStringList lines;
    connect(&host.control, &swf::FlashControl::Trace, [&lines](const QString &line) { lines << line; });
    host.control.setMovie(path);
    host.resize(host.control.stageSize());
    QTest::mouseClick(&host, Qt::LeftButton, {}, QPoint(clickX, 20));
    static const QHash<QString, Qt::Key> named{{"<Backspace>", Qt::Key_Backspace}, {"<Delete>", Qt::Key_Delete},
                                               {"<Home>", Qt::Key_Home},           {"<End>", Qt::Key_End},
                                               {"<Left>", Qt::Key_Left},           {"<Right>", Qt::Key_Right},
                                               {"<Return>", Qt::Key_Return}};
    for (const QString &key : keys) {
        if (named.contains(key))
            QTest::keyClick(&host, named.value(key));
        else
            QTest::keyClicks(&host, key);
    }
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.last(), bound);
}

// A focused input field shows its caret, which blinks; typed text is drawn.
void SwfTextTest::caretIsDrawnAndBlinks()
{
    const QString path = m_dir.filePath(QStringLiteral("caret.swf"));
    TestFiles::write(path, SwfWriter::movie(SwfWriter::doAction(ActionAssembler::assemble(inputMovie(QString()))) +
                                                SwfWriter::showFrame(),
                                            8));
    MovieHost host;
    host.control.setMovie(path);
    host.resize(host.control.stageSize());
    auto stage = [&host] { return host.control.renderStage().convertToFormat(QImage::Format_RGB32); };
    QCOMPARE(inkInField(stage()), 0);
    QTest::mouseClick(&host, Qt::LeftButton, {}, QPoint(30, 20));
    const int caret = inkInField(stage());
    QVERIFY2(caret > 3, qPrintable(QStringLiteral("%1 caret pixels").arg(caret)));
    QTRY_COMPARE_WITH_TIMEOUT(inkInField(stage()), 0, 3 * swf::FlashControl::CaretBlinkMs);
    QTest::keyClicks(&host, "WWW");
    QVERIFY(inkInField(stage()) > 3 * caret);
}

QTEST_MAIN(SwfTextTest)
#include "tst_swf_text.moc"
