#include "focus/routinestore.h"

#include "platform/defaults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace tavrin {

RoutineStore::Stored RoutineStore::load(const Defaults* defaults)
{
    Stored stored;
    const auto value = defaults ? defaults->value(kKey) : std::nullopt;
    if (!value) {
        stored.routines = {FocusRoutine::deepWork()};
        return stored;
    }
    const bool isData = value->typeId() == QMetaType::QByteArray;
    const QByteArray bytes = isData ? value->toByteArray() : QByteArray();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (!isData || error.error != QJsonParseError::NoError || !document.isArray()) {
        // Not ours to read: kept as it is for the first write to set aside.
        stored.raw = value->typeId() == QMetaType::QString ? QVariant(value->toString().toUtf8()) : *value;
        stored.routines = {FocusRoutine::deepWork()};
        return stored;
    }
    const QJsonArray array = document.array();
    for (const QJsonValue element : array) {
        if (auto routine = FocusRoutine::fromJson(element))
            stored.routines.append(std::move(*routine));
        else
            stored.raw = bytes;
    }
    if (!array.isEmpty() && stored.routines.isEmpty())
        stored.routines = {FocusRoutine::deepWork()};
    return stored;
}

QByteArray RoutineStore::encode(const QList<FocusRoutine>& routines)
{
    QJsonArray array;
    for (const FocusRoutine& r : routines)
        array.append(r.toJson());
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

void RoutineStore::write(Defaults* defaults, const QList<FocusRoutine>& routines, std::optional<QVariant>& raw)
{
    if (!defaults)
        return;
    if (raw)
        defaults->keepAside(kUnreadableKey, *std::exchange(raw, std::nullopt));
    defaults->setValue(kKey, encode(routines));
}

} // namespace tavrin
