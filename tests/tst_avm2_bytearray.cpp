// flash.utils.ByteArray on a runtime of its own: byte orders, texts, the
// end-of-file and length checks, indexed bytes and compression round trips.
#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/ByteArrayObject.h"

#include <QtTest>

using namespace swf::avm2;

namespace {

struct Fixture {
    Runtime rt;
    ByteArrayObject *array = nullptr;

    Fixture() { array = dynamic_cast<ByteArrayObject *>(rt.constructClass(rt.findClass("flash.utils::ByteArray"), Args{})); }

    Value call(const char *method, std::vector<Value> args = {})
    {
        return rt.callProperty(Value(static_cast<Object *>(array)), rt.publicName(QString::fromLatin1(method)),
                               Args{args.data(), int(args.size())});
    }
    void set(const char *property, const Value &v) { rt.set(Value(static_cast<Object *>(array)), QString::fromLatin1(property), v); }

    // The errorID of what f throws, or 0.
    template <class F> int thrownId(F f)
    {
        try {
            f();
        } catch (const Exception &e) {
            return rt.toInt(rt.get(e.value, QStringLiteral("errorID")));
        }
        return 0;
    }
};

} // namespace

class Avm2ByteArrayTest : public QObject {
    Q_OBJECT

private slots:
    void numbers_data();
    void numbers();
    void endOfFile();
    void texts();
    void indexed();
    void objects();
    void compression_data();
    void compression();
};

void Avm2ByteArrayTest::numbers_data()
{
    QTest::addColumn<QString>("endian");
    QTest::addColumn<QString>("write");
    QTest::addColumn<QString>("read");
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<double>("readBack");
    QTest::newRow("short big") << "bigEndian" << "writeShort" << "readShort" << -2.0 << QByteArray("\xFF\xFE", 2) << -2.0;
    QTest::newRow("short little") << "littleEndian" << "writeShort" << "readUnsignedShort" << 258.0
                                  << QByteArray("\x02\x01", 2) << 258.0;
    QTest::newRow("int wraps") << "bigEndian" << "writeInt" << "readUnsignedInt" << -1.0
                               << QByteArray("\xFF\xFF\xFF\xFF", 4) << 4294967295.0;
    QTest::newRow("float") << "bigEndian" << "writeFloat" << "readFloat" << 1.5 << QByteArray("\x3F\xC0\x00\x00", 4) << 1.5;
    QTest::newRow("double little") << "littleEndian" << "writeDouble" << "readDouble" << 2.0
                                   << QByteArray("\0\0\0\0\0\0\0\x40", 8) << 2.0;
}

void Avm2ByteArrayTest::numbers()
{
    QFETCH(QString, endian);
    QFETCH(QString, write);
    QFETCH(QString, read);
    QFETCH(double, value);
    QFETCH(QByteArray, bytes);
    QFETCH(double, readBack);
    Fixture f;
    f.set("endian", Value(endian));
    f.call(write.toLatin1().constData(), {Value(value)});
    QCOMPARE(f.array->bytes, bytes);
    f.array->position = 0;
    QCOMPARE(f.rt.toNumber(f.call(read.toLatin1().constData())), readBack);
}

void Avm2ByteArrayTest::endOfFile()
{
    Fixture f;
    f.call("writeShort", {Value(1)});
    f.array->position = 1;
    QCOMPARE(f.thrownId([&] { f.call("readInt"); }), 2030);
    QCOMPARE(f.array->position, 1u); // a failed read moves nothing
    QCOMPARE(f.thrownId([&] { f.set("endian", Value("middle")); }), 2008);
    QCOMPARE(f.thrownId([&] { f.set("length", Value(4294967295.0)); }), 1000);
    QCOMPARE(f.thrownId([&] { f.set("objectEncoding", Value(2)); }), 2008);
    Class *cls = f.rt.findClass("flash.utils::ByteArray");
    f.rt.set(Value(static_cast<Object *>(cls)), QStringLiteral("defaultObjectEncoding"), Value(0));
    auto *fresh = dynamic_cast<ByteArrayObject *>(f.rt.constructClass(cls, Args{}));
    QCOMPARE(fresh->objectEncoding, 0u);
    QCOMPARE(Fixture().array->objectEncoding, 3u); // another movie keeps its own default
}

void Avm2ByteArrayTest::texts()
{
    Fixture f;
    f.call("writeUTF", {Value(QStringLiteral("h\u00e9"))});
    QCOMPARE(f.array->bytes, QByteArray("\0\3h\xC3\xA9", 5));
    f.array->position = 0;
    QCOMPARE(f.rt.toString(f.call("readUTF")), QStringLiteral("h\u00e9"));
    f.call("clear");
    f.array->bytes = QByteArray("\xEF\xBB\xBF" "ab\0cd", 8);
    QCOMPARE(f.rt.toString(f.call("readUTFBytes", {Value(8)})), QStringLiteral("ab"));
    QCOMPARE(f.array->position, 8u);
    f.array->bytes = QByteArray("a\xE9z", 3); // a byte starting no valid sequence stands for itself
    QCOMPARE(f.rt.toString(f.call("toString")), QStringLiteral("a\u00e9z"));
    f.call("clear");
    f.call("writeMultiByte", {Value(QStringLiteral("\u00e9")), Value("iso-8859-1")});
    QCOMPARE(f.array->bytes, QByteArray("\xE9", 1));
}

void Avm2ByteArrayTest::indexed()
{
    Fixture f;
    f.array->setByKey(f.rt, Value(3), Value(-1));
    QCOMPARE(f.array->bytes, QByteArray("\0\0\0\xFF", 4)); // zero-filled up to the index
    Value out;
    QVERIFY(f.array->getByKey(f.rt, Value("3"), out));
    QCOMPARE(f.rt.toNumber(out), 255.0);
    QVERIFY(f.array->getByKey(f.rt, Value(9), out));
    QVERIFY(out.isUndefined());
}

void Avm2ByteArrayTest::objects()
{
    Fixture f;
    Object *inner = f.rt.newArray({Value(1), Value(-300000000), Value(2.5)});
    Object *outer = f.rt.newObject();
    f.rt.set(Value(outer), QStringLiteral("list"), Value(inner));
    f.rt.set(Value(outer), QStringLiteral("again"), Value(inner));
    f.rt.set(Value(outer), QStringLiteral("name"), Value("amf"));
    f.call("writeObject", {Value(outer)});
    // Marker, inline dynamic traits, the anonymous class name, then "list".
    QCOMPARE(f.array->bytes.left(4), QByteArray("\x0A\x0B\x01\x09", 4));
    f.array->position = 0;
    const Value back = f.call("readObject");
    const Value list = f.rt.get(back, QStringLiteral("list"));
    QCOMPARE(f.rt.toString(list), QStringLiteral("1,-300000000,2.5"));
    QVERIFY(f.rt.get(back, QStringLiteral("again")).asObject() == list.asObject()); // by reference
    QCOMPARE(f.rt.toString(f.rt.get(back, QStringLiteral("name"))), QStringLiteral("amf"));
    QCOMPARE(f.array->available(), 0u);
    f.array->bytes = QByteArray("\x09\x7F", 2); // claims more elements than bytes follow
    f.array->position = 0;
    QCOMPARE(f.thrownId([&] { f.call("readObject"); }), 2030);
}

void Avm2ByteArrayTest::compression_data()
{
    QTest::addColumn<QString>("algorithm");
    QTest::newRow("zlib") << "zlib";
    QTest::newRow("deflate") << "deflate";
    QTest::newRow("lzma") << "lzma";
}

void Avm2ByteArrayTest::compression()
{
    QFETCH(QString, algorithm);
    Fixture f;
    const QByteArray text = QByteArray("compress me ").repeated(50);
    f.array->bytes = text;
    f.call("compress", {Value(algorithm)});
    QVERIFY(f.array->bytes != text);
    f.call("uncompress", {Value(algorithm)});
    QCOMPARE(f.array->bytes, text);
    f.array->bytes = QByteArray("not compressed at all");
    QCOMPARE(f.thrownId([&] { f.call("uncompress", {Value(algorithm)}); }), 2058);
}

QTEST_GUILESS_MAIN(Avm2ByteArrayTest)
#include "tst_avm2_bytearray.moc"
