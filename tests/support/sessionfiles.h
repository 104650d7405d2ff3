#pragma once

// Browsers' session files in their own formats, written by the tests.

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QList>
#include <QString>
#include <QtEndian>
#include <lz4.h>

namespace tavrin::sessionfiles {

// The lock a running browser holds in its profile: a link naming this
// process (Firefox's "lock", Chromium's "SingletonLock"), or with `stale` a
// process that does not run.
inline bool lock(const QString& path, bool stale = false)
{
    const qint64 pid = stale ? 2147483000 : QCoreApplication::applicationPid();
    return QFile::link(QStringLiteral("127.0.1.1:+%1").arg(pid), path);
}

// A Firefox-family session file holding `json`: the magic, the unpacked
// size, one LZ4 block.
inline QByteArray firefox(const QByteArray& json)
{
    QByteArray out("mozLz40\0", 8);
    char size[4];
    qToLittleEndian<quint32>(quint32(json.size()), size);
    out.append(size, 4);
    QByteArray block(LZ4_compressBound(int(json.size())), Qt::Uninitialized);
    const int n = LZ4_compress_default(json.constData(), block.data(), int(json.size()), int(block.size()));
    return out + block.left(n);
}

// The records of a Chromium-family session file.
class Chromium {
public:
    Chromium& tabWindow(qint32 window, qint32 tab) { return record(0, ints({window, tab})); }
    Chromium& tabIndex(qint32 tab, qint32 index) { return record(2, ints({tab, index})); }
    Chromium& navigation(qint32 tab, qint32 index, const QByteArray& url, const QString& title)
    {
        QByteArray body = ints({tab, index}) + string8(url) + string16(title) + ints({0}); // then what is not read
        return record(6, ints({qint32(body.size())}) + body);
    }
    Chromium& selectedNavigation(qint32 tab, qint32 index) { return record(7, ints({tab, index})); }
    Chromium& selectedTab(qint32 window, qint32 index) { return record(8, ints({window, index})); }
    // Where the window is: its outer frame, and how it shows (1 normal, 3 maximised).
    Chromium& windowBounds(qint32 window, qint32 x, qint32 y, qint32 width, qint32 height, qint32 showState = 1)
    {
        return record(14, ints({window, x, y, width, height, showState}));
    }
    Chromium& activeWindow(qint32 window) { return record(20, ints({window})); }
    Chromium& tabClosed(qint32 tab) { return record(16, ints({tab, 0, 0, 0})); }
    Chromium& windowClosed(qint32 window) { return record(17, ints({window, 0, 0, 0})); }
    Chromium& other(quint8 command, const QByteArray& payload) { return record(command, payload); }

    QByteArray bytes() const { return QByteArray("SNSS") + ints({3}) + records_; }

private:
    static QByteArray ints(std::initializer_list<qint32> values)
    {
        QByteArray out;
        for (qint32 v : values) {
            char b[4];
            qToLittleEndian<qint32>(v, b);
            out.append(b, 4);
        }
        return out;
    }
    static QByteArray padded(QByteArray b) { return b + QByteArray((4 - b.size() % 4) % 4, '\0'); }
    static QByteArray string8(const QByteArray& s) { return ints({qint32(s.size())}) + padded(s); }
    static QByteArray string16(const QString& s)
    {
        QByteArray units;
        for (QChar c : s) {
            char b[2];
            qToLittleEndian<quint16>(c.unicode(), b);
            units.append(b, 2);
        }
        return ints({qint32(s.size())}) + padded(units);
    }
    Chromium& record(quint8 command, const QByteArray& payload)
    {
        char size[2];
        qToLittleEndian<quint16>(quint16(payload.size() + 1), size);
        records_.append(size, 2);
        records_.append(char(command));
        records_.append(payload);
        return *this;
    }

    QByteArray records_;
};

// Hostile session files: a Firefox file that says it unpacks to `claimed`
// bytes (its content a small valid session)...
inline QByteArray firefoxClaiming(quint32 claimed)
{
    QByteArray out = firefox(R"({"windows":[{"tabs":[{"entries":[{"url":"https://a.example/"}]}]}]})");
    qToLittleEndian<quint32>(claimed, out.data() + 8);
    return out;
}

// ...one that does unpack to about `bytes` of valid JSON, one window of
// tabs...
inline QByteArray firefoxUnpackingTo(qsizetype bytes)
{
    QByteArray big = R"({"windows":[{"tabs":[)";
    const QByteArray tab = R"({"entries":[{"url":"https://a.example/","title":"A"}],"index":1},)";
    big.reserve(bytes);
    while (big.size() < bytes - tab.size())
        big += tab;
    big.chop(1);
    big += "]}]}";
    return firefox(big);
}

// ...and a Chromium file of about `bytes` of windows that opened one tab
// each and closed.
inline QByteArray chromiumClosedWindows(qsizetype bytes)
{
    Chromium one;
    one.tabWindow(1, 1).navigation(1, 0, "https://a.example/", "A").windowClosed(1);
    const qsizetype perWindow = one.bytes().size() - 8;
    Chromium closed;
    for (qint32 w = 1; w <= bytes / perWindow; ++w)
        closed.tabWindow(w, w).navigation(w, 0, "https://a.example/", "A").windowClosed(w);
    return closed.bytes();
}

} // namespace tavrin::sessionfiles
