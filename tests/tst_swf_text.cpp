// TextField as movies see it: fields made by createTextField, their
// properties as the reference player converts and reads them back, text
// bound to variables, and what the player draws of a field a script made.
#include "ScriptCases.h"

#include <QImage>
#include <QTemporaryDir>
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

QTEST_MAIN(SwfTextTest)
#include "tst_swf_text.moc"
