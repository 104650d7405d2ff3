#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tavrin {

// What a planner is asked: the user's text, the display and the open windows
// (numbered by their position, from 0). JSON keys are the field names;
// optionals without a value are left out.
struct PlanRequest {
    // The display a plan is made for.
    struct DisplayInfo {
        QString name;
        double aspect = 1.6; // width over height

        QJsonObject toJson() const;
        static std::optional<DisplayInfo> fromJson(const QJsonValue& json);
        bool operator==(const DisplayInfo&) const = default;
    };

    // One open window.
    struct Window {
        QString app;
        QString title;
        std::optional<QString> url;           // a browser's front-tab address
        std::optional<QStringList> otherTabs; // the titles of its other tabs

        QJsonObject toJson() const;
        static std::optional<Window> fromJson(const QJsonValue& json);
        bool operator==(const Window&) const = default;
    };

    static constexpr int kMaxRequestLength = 500;

    QString request;
    DisplayInfo display;
    QList<Window> windows;

    QJsonObject toJson() const;
    static std::optional<PlanRequest> fromJson(const QJsonValue& json);
    bool operator==(const PlanRequest&) const = default;
};

// Readers and writers for the fields of the plan records. A reader answers
// false when the field has the wrong type (or, when required, is missing);
// an optional field that is missing or null reads as none.
namespace recordjson {
bool readString(const QJsonObject& object, const QString& key, QString& out);
bool readDouble(const QJsonObject& object, const QString& key, double& out);
bool readInt(const QJsonObject& object, const QString& key, int& out);
bool readOptional(const QJsonObject& object, const QString& key, std::optional<QString>& out);
bool readOptional(const QJsonObject& object, const QString& key, std::optional<int>& out);
bool readOptional(const QJsonObject& object, const QString& key, std::optional<QStringList>& out);

void writeOptional(QJsonObject& object, const QString& key, const std::optional<QString>& value);
void writeOptional(QJsonObject& object, const QString& key, const std::optional<int>& value);
void writeOptional(QJsonObject& object, const QString& key, const std::optional<QStringList>& value);

// Each element of a JSON array decoded with `decode`; none when the value is
// not an array or any element does not decode.
template <class T, class Decode>
std::optional<QList<T>> readList(const QJsonValue& value, Decode decode)
{
    if (!value.isArray())
        return std::nullopt;
    QList<T> list;
    const QJsonArray array = value.toArray();
    list.reserve(array.size());
    for (const QJsonValue element : array) {
        std::optional<T> item = decode(element);
        if (!item)
            return std::nullopt;
        list.append(std::move(*item));
    }
    return list;
}

template <class T>
QJsonArray writeList(const QList<T>& list)
{
    QJsonArray array;
    for (const T& item : list)
        array.append(item.toJson());
    return array;
}
} // namespace recordjson

} // namespace tavrin
