// Titles set as COMPOUND_TEXT, as xterm sets them, read as text.

#include "platform/x11/compoundtext.h"

#include <gtest/gtest.h>

using namespace tavrin;

TEST(CompoundText, DecodesAsciiLatin1AndUtf8SegmentsAndDropsTheRest)
{
    const struct {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"notes \x1b%G\xe2\x80\x94\x1b%@ xterm", QString::fromUtf8("notes \u2014 xterm")},
        {"caf\xe9", QString::fromUtf8("caf\u00e9")},               // Latin-1's right half by default
        {"a\x1b%G\xe2\x80\x94", QString::fromUtf8("a\u2014")},     // a segment to the end
        {"a\x1b%G\xff\xfe\x1b%@b", "ab"},                          // not UTF-8: dropped
        {"a\x1b$(B\x30\x21\x1b(Bb", "ab"},                         // another set (JIS X 0208): dropped
        {"a\x1b-F\xe1\x1b-Ab\xe9", QString::fromUtf8("ab\u00e9")}, // Greek on the right: dropped
        {"a\x1b%/1\x80\x83xyzb", "ab"},                            // a segment with its length: skipped
        {"a\x01\x1b\x7f\x9b"
         "1]b\tc",
         "ab\tc"}, // controls and a cut sequence
        {"\x1b%G", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompoundText::decode(c.bytes), c.text) << c.bytes.toHex().toStdString();
}
