#include "windows/shortcutstore.h"

#include "platform/defaults.h"
#include "platform/platform.h"

namespace tavrin {

namespace {
const QString kNone = QStringLiteral("none");
const QString kLetterGrid = QStringLiteral("snap.letterGrid");

Defaults& defaults() { return *Platform::current().defaults; }
} // namespace

std::optional<KeyCombo> ShortcutStore::combo(const ShortcutAction& action) const
{
    if (const auto stored = defaults().value(key(action))) {
        // Text normally; JSON data is read as well.
        const QString text =
            stored->typeId() == QMetaType::QByteArray ? QString::fromUtf8(stored->toByteArray()) : stored->toString();
        if (text == kNone)
            return std::nullopt;
        if (auto combo = KeyCombo::fromJsonText(text))
            return combo;
        // A value that is no binding counts as missing.
    }
    return action.defaultCombo(defaults().boolValue(kLetterGrid));
}

void ShortcutStore::set(const std::optional<KeyCombo>& combo, const ShortcutAction& action)
{
    defaults().setValue(key(action), combo ? combo->toJsonText() : kNone);
    changed();
}

void ShortcutStore::resetAll()
{
    for (const QString& k : defaults().keys())
        if (k.startsWith(QLatin1String("shortcut.")))
            defaults().remove(k);
    changed();
}

void ShortcutStore::forgetEarlierDesktop() const
{
    if (installation_ == Platform::installation())
        return;
    installation_ = Platform::installation();
    unavailable_.clear();
    isRecording_ = false;
}

QSet<QString> ShortcutStore::unavailable() const
{
    forgetEarlierDesktop();
    return unavailable_;
}

bool ShortcutStore::isRecording() const
{
    forgetEarlierDesktop();
    return isRecording_;
}

void ShortcutStore::setUnavailable(const QSet<QString>& ids)
{
    if (ids == unavailable())
        return;
    unavailable_ = ids;
    emit unavailableChanged();
}

void ShortcutStore::setRecording(bool recording)
{
    if (recording == isRecording())
        return;
    isRecording_ = recording;
    emit isRecordingChanged();
    if (onChange)
        onChange();
}

void ShortcutStore::changed()
{
    emit bindingsChanged();
    if (onChange)
        onChange();
}

} // namespace tavrin
