#include "platform/x11/compoundtext.h"

#include <QStringDecoder>

namespace tavrin::CompoundText {

namespace {

constexpr char kEsc = 0x1b;

// The end of the escape sequence that starts at `at` (ESC, intermediate
// bytes 0x20–0x2F, a final byte 0x30–0x7E); `at` + 1 when it is cut short.
qsizetype sequenceEnd(QByteArrayView bytes, qsizetype at)
{
    qsizetype i = at + 1;
    while (i < bytes.size() && bytes[i] >= 0x20 && bytes[i] <= 0x2f)
        ++i;
    return i < bytes.size() && bytes[i] >= 0x30 && bytes[i] <= 0x7e ? i + 1 : at + 1;
}

} // namespace

QString decode(QByteArrayView bytes)
{
    QString out;
    bool asciiLeft = true;   // GL holds ASCII (else a set we do not read)
    bool latin1Right = true; // GR holds Latin-1's right half
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto byte = quint8(bytes[i]);
        if (byte == kEsc) {
            const QByteArrayView head = bytes.sliced(i, std::min<qsizetype>(3, bytes.size() - i));
            if (head == "\x1b%G") { // UTF-8 up to ESC % @ (or the end)
                const qsizetype start = i + 3;
                qsizetype end = bytes.indexOf(QByteArrayView("\x1b%@"), start);
                if (end < 0)
                    end = bytes.size();
                QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
                const QString segment = utf8.decode(bytes.sliced(start, end - start));
                if (!utf8.hasError())
                    for (QChar c : segment)
                        if (c.unicode() >= 0x20 || c == u'\t' || c == u'\n')
                            out += c;
                i = std::min(end + 3, bytes.size());
                continue;
            }
            if (head == "\x1b%/" && bytes.size() - i >= 6) { // a segment with its length: skipped
                const qsizetype length = (quint8(bytes[i + 4]) & 0x7f) * 128 + (quint8(bytes[i + 5]) & 0x7f);
                i = std::min(i + 6 + length, bytes.size());
                continue;
            }
            const qsizetype end = sequenceEnd(bytes, i);
            const QByteArrayView sequence = bytes.sliced(i, end - i);
            if (sequence.size() >= 3 && (sequence[1] == '(' || sequence[1] == '$'))
                asciiLeft = sequence == "\x1b(B";
            else if (sequence.size() >= 3 && (sequence[1] == '-' || sequence[1] == ')'))
                latin1Right = sequence == "\x1b-A";
            i = end;
            continue;
        }
        if (byte == 0x9b) { // a direction or other control sequence: dropped
            ++i;
            while (i < bytes.size() && !(quint8(bytes[i]) >= 0x40 && quint8(bytes[i]) <= 0x7e))
                ++i;
            ++i;
            continue;
        }
        if (byte < 0x80) {
            if (asciiLeft && (byte >= 0x20 || byte == '\t' || byte == '\n') && byte != 0x7f)
                out += QChar(byte);
        } else if (byte >= 0xa0 && latin1Right) {
            out += QChar(byte);
        }
        ++i;
    }
    return out;
}

} // namespace tavrin::CompoundText
