#pragma once

#include "focus/calendar/ics.h"

#include <QDateTime>
#include <QStringList>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace tavrin::testing {

inline constexpr double kReference = 978307200.0;

// An instant from ISO text with its offset ("2024-03-31T01:00:00Z").
inline double at(const char* iso)
{
    const QDateTime date = QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate);
    EXPECT_TRUE(date.isValid()) << iso;
    return double(date.toSecsSinceEpoch()) - kReference;
}

// An instant as UTC ISO text, for readable failures.
inline QString utcText(double instant)
{
    return QDateTime::fromSecsSinceEpoch(qint64(instant + kReference), Qt::UTC).toString(Qt::ISODate);
}

inline QStringList utcTexts(const QList<double>& instants)
{
    QStringList texts;
    for (double i : instants)
        texts << utcText(i);
    return texts;
}

// Instants as wall-clock text in a zone ("1997-09-02 09:00").
inline QStringList localTexts(const QList<double>& instants, const QTimeZone& zone)
{
    QStringList texts;
    for (double i : instants)
        texts
            << QDateTime::fromSecsSinceEpoch(qint64(i + kReference), zone).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    return texts;
}

// A feed with one VEVENT made of `lines`.
inline QString feed(const QStringList& lines)
{
    return QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\n") + lines.join(QStringLiteral("\r\n"))
           + QStringLiteral("\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
}

// The one event of a feed made of `lines`, read with `local` as the system zone.
inline ICSEvent event(const QStringList& lines, const QTimeZone& local = QTimeZone("Europe/Berlin"))
{
    const QList<ICSEvent> events = ICS::parse(feed(lines), local);
    EXPECT_EQ(events.size(), 1) << qPrintable(lines.join(u" | "));
    return events.value(0);
}

} // namespace tavrin::testing
