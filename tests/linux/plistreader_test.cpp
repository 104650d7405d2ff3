#include "platform/linux/plistcodec.h"

#include <QDateTime>
#include <QVariantList>
#include <QVariantMap>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <plist/plist.h>

using namespace tavrin;

namespace {

QDateTime utc(const char* iso) { return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate); }

QByteArray plist(const QByteArray& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

QByteArray nested(const char* open, const char* close, int depth, const QByteArray& inner = {})
{
    return QByteArray(open).repeated(depth) + inner + QByteArray(close).repeated(depth);
}

// The binary form libplist writes for a canonical value.
QByteArray binary(const QVariant& v)
{
    const QByteArray xml = PlistCodec::toXml(v);
    plist_t root = nullptr;
    plist_from_xml(xml.constData(), uint32_t(xml.size()), &root);
    char* raw = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &raw, &length);
    plist_free(root);
    QByteArray bytes(raw, qsizetype(length));
    std::free(raw);
    return bytes;
}

// The bytes of a literal, NULs and all.
template <qsizetype N>
QByteArray raw(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

// A binary property list of the given objects (each its bytes), references
// and offsets one byte wide, the first object on top.
QByteArray handmade(const QList<QByteArray>& objects)
{
    QByteArray out("bplist00");
    QByteArray table;
    for (const QByteArray& o : objects) {
        table.append(char(out.size()));
        out.append(o);
    }
    const qsizetype tableAt = out.size();
    out.append(table);
    QByteArray trailer(32, '\0');
    trailer[6] = 1;
    trailer[7] = 1;
    trailer[15] = char(objects.size());
    trailer[31] = char(tableAt);
    return out + trailer;
}

std::string reason(const QByteArray& bytes)
{
    QString why;
    const auto value = PlistCodec::fromData(bytes, &why);
    return value ? std::string("(read)") : why.toStdString();
}

const QVariantMap kEveryType{
    {QStringLiteral("yes"), true},
    {QStringLiteral("int.min"), std::numeric_limits<qint64>::min()},
    {QStringLiteral("int.max"), std::numeric_limits<qint64>::max()},
    {QStringLiteral("small"), qint64(200)},
    {QStringLiteral("real"), 0.1},
    {QStringLiteral("ascii"), QStringLiteral("plain")},
    {QStringLiteral("wide ключ"), QStringLiteral("Zoë ✓ 🚀")},
    {QStringLiteral("markup <&>"), QStringLiteral("a < b && c > d")},
    {QStringLiteral("data"), QByteArray("\x00\x01\xff", 3)},
    {QStringLiteral("date"), utc("2026-12-07T10:29:36Z")},
    {QStringLiteral("nested"), QVariantList{QVariantMap{{QStringLiteral("a"), QVariantList{}}}, QVariantMap{}}},
};

TEST(PlistReaderTest, BinaryFromLibplistReadsAsItsXml)
{
    const auto fromBinary = PlistCodec::fromData(binary(kEveryType));
    const auto fromXml = PlistCodec::fromData(PlistCodec::toXml(kEveryType));
    ASSERT_TRUE(fromBinary.has_value());
    ASSERT_TRUE(fromXml.has_value());
    EXPECT_EQ(*fromBinary, QVariant(kEveryType));
    EXPECT_EQ(*fromXml, QVariant(kEveryType));
    EXPECT_EQ(fromBinary->toMap().value(QStringLiteral("small")).typeId(), QMetaType::LongLong);
}

// What other writers and hand edits put in files.
TEST(PlistReaderTest, ReadsTheXmlOfOtherWriters)
{
    const struct {
        const char* name;
        QByteArray xml;
        QVariant expected;
    } cases[] = {
        {"comments, CDATA and references",
         "\xEF\xBB\xBF<?xml version=\"1.0\"?><!DOCTYPE plist [ <!ENTITY x \"]>\"> ]><!-- <dict> -->"
         "<plist version='1.0' note=\"a>b\"><string>a<!-- c --><![CDATA[<b>&amp;]]>&lt;&#x1F680;&#65;</string></plist>",
         QStringLiteral("a<b>&amp;<🚀A")},
        {"no plist element", "<array><true></true><false/></array>", QVariantList{true, false}},
        {"integers",
         "<array><integer> -12 </integer><integer>0x1F</integer><integer>+7</integer>"
         "<integer>18446744073709551615</integer><integer>-99999999999999999999</integer></array>",
         QVariantList{qint64(-12), qint64(31), qint64(7), std::numeric_limits<qint64>::max(),
                      std::numeric_limits<qint64>::min()}},
        {"reals", "<array><real>3</real><real>-Infinity</real><real>+inf</real><real>1e-3</real></array>",
         QVariantList{3.0, -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(), 0.001}},
        {"dates drop their fraction",
         "<array><date>2026-12-07T10:29:36.724Z</date><date>1969-07-20T20:17:40.5Z</date></array>",
         QVariantList{utc("2026-12-07T10:29:36Z"), utc("1969-07-20T20:17:40Z")}},
        {"control characters and a carriage return stay", "<string>a\r\n\x01\tb</string>",
         QStringLiteral("a\r\n\x01\tb")},
        {"a leading byte-order mark in text stays", "<string>\xEF\xBB\xBFx</string>", QStringLiteral("\uFEFFx")},
        {"data with line breaks", "<data>\n\tAAH/\n\t</data>", QByteArray("\x00\x01\xff", 3)},
        {"the last of equal keys", "<dict><key>k</key><integer>1</integer><key>k</key><integer>2</integer></dict>",
         QVariantMap{{QStringLiteral("k"), qint64(2)}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString why;
        const auto value = PlistCodec::fromData(c.xml, &why);
        ASSERT_TRUE(value.has_value()) << why.toStdString();
        EXPECT_EQ(*value, c.expected);
    }
}

// Bytes that once crashed start-up or hung it, and others that must be
// refused rather than misread.
TEST(PlistReaderTest, RefusesHostileOrDamagedDataWithAReason)
{
    const QByteArray wideNul = raw("\x62\x00\x61\x00\x00"); // two UTF-16 units: "a", NUL
    const struct {
        const char* name;
        QByteArray bytes;
        const char* reason;
    } cases[] = {
        {"NUL in a string", plist(QByteArray("<string>a\0b</string>", 20)), "NUL"},
        {"NUL in a key", plist(QByteArray("<dict><key>a\0b</key><true/></dict>", 34)), "NUL"},
        {"NUL as a reference", plist("<string>a&#0;b</string>"), "NUL"},
        {"NUL in CDATA", plist(QByteArray("<string><![CDATA[\0]]></string>", 30)), "NUL"},
        {"NUL in a binary string", handmade({raw("\x52\x61\x00")}), "NUL"},
        {"NUL in a binary key", handmade({"\xD1\x01\x02", wideNul, "\x09"}), "NUL"},
        {"35000 arrays deep", plist(nested("<array>", "</array>", 35000)), "nest more than 512"},
        {"35000 dictionaries deep, never closed", plist(QByteArray("<dict><key>k</key>").repeated(35000)),
         "nest more than 512"},
        {"513 arrays deep", plist(nested("<array>", "</array>", 513)), "nest more than 512"},
        {"a binary array holding itself", handmade({raw("\xA1\x00")}), "refers to its parts"},
        {"binary parts shared over and over",
         handmade({"\xA2\x01\x01", "\xA2\x02\x02", "\xA2\x03\x03", "\xA2\x04\x04", "\xA2\x05\x05", "\xA2\x06\x06",
                   "\xA2\x07\x07", "\xA2\x08\x08", "\xA2\x09\x09", "\xA2\x0A\x0A", "\x09"}),
         "more values than"},
        {"a binary reference past the objects", handmade({"\xA1\x05"}), "does not exist"},
        {"a binary count past the data", handmade({"\x4F\x13\x7F\xFF\xFF\xFF\xFF\xFF\xFF\xFF"}), "cut short"},
        {"a binary trailer pointing outside", binary(kEveryType).chopped(8) + QByteArray(8, '\xFF'), "trailer"},
        {"a binary key that is no string", handmade({"\xD1\x01\x01", "\x10\x05"}), "not a string"},
        {"a binary date of no year", handmade({raw("\x33\x7F\xF0\x00\x00\x00\x00\x00\x00")}), "years 1 to 9999"},
        {"cut short", PlistCodec::toXml(kEveryType).chopped(40), "not a property list"},
        {"something after the value", plist("<true/>") + "<true/>", "follows"},
        {"an unknown element", plist("<set/>"), "<set>"},
        {"a key without a value", plist("<dict><key>k</key></dict>"), "</dict>"},
        {"crossed elements", plist("<array><dict></array></dict>"), "</array>"},
        {"a bad integer", plist("<integer>12abc</integer>"), "12abc"},
        {"a bad real", plist("<real>one</real>"), "one"},
        {"a bad date", plist("<date>2026-13-40T00:00:00Z</date>"), "date"},
        {"bad base64", plist("<data>@@@</data>"), "data"},
        {"an unknown entity", plist("<string>&nbsp;</string>"), "&nbsp;"},
        {"a surrogate reference", plist("<string>&#xD800;</string>"), "no character"},
        {"an unclosed comment", plist("<!-- <true/>"), "comment"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(reason(c.bytes).find(c.reason), std::string::npos) << reason(c.bytes);
    }
}

TEST(PlistReaderTest, ReadsNestingUpToTheLimit)
{
    const auto xml = PlistCodec::fromData(plist(nested("<array>", "</array>", PlistCodec::kMaxDepth)));
    ASSERT_TRUE(xml.has_value());
    QVariant deep = QVariantList{};
    for (int i = 1; i < PlistCodec::kMaxDepth; ++i)
        deep = QVariantList{deep};
    EXPECT_EQ(*xml, deep);
    EXPECT_EQ(PlistCodec::fromData(binary(deep)), deep);
    // A value one deeper can't be stored, so no file of it is ever written.
    QString why;
    EXPECT_TRUE(PlistCodec::normalised(deep).has_value());
    EXPECT_FALSE(PlistCodec::normalised(QVariantList{deep}, &why).has_value());
    EXPECT_TRUE(why.contains(QLatin1String("nested too deep"))) << why.toStdString();
}

TEST(PlistReaderTest, BinaryKeepsWhatItCanHoldAndLeavesOutTheRest)
{
    // An array of: an identifier, true, a null, a 128-bit integer beyond 64
    // bits, a lone surrogate.
    const QByteArray bytes =
        handmade({"\xA5\x01\x02\x03\x04\x05", "\x80\x07", "\x09", raw("\x00"),
                  raw("\x14\x00\x00\x00\x00\x00\x00\x00\x01") + QByteArray(8, '\0'), raw("\x61\xD8\x00")});
    QString why;
    const auto value = PlistCodec::fromData(bytes, &why);
    ASSERT_TRUE(value.has_value()) << why.toStdString();
    EXPECT_EQ(*value, (QVariantList{true, std::numeric_limits<qint64>::max(), QString(QChar::ReplacementCharacter)}));
}

} // namespace
