#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace tavrin {

// What a script answers: a list of values, a text, or anything else (a
// number, a reference, "missing value"), which callers treat as no text.
struct ScriptValue {
    enum class Kind { list, text, other };

    Kind kind = Kind::other;
    QString text;             // for a text
    QList<ScriptValue> items; // for a list

    static ScriptValue makeText(const QString& text) { return ScriptValue{Kind::text, text, {}}; }
    static ScriptValue makeList(QList<ScriptValue> items) { return ScriptValue{Kind::list, {}, std::move(items)}; }
    static ScriptValue makeOther() { return ScriptValue{}; }

    bool isList() const { return kind == Kind::list; }
    // The text, when this is one.
    std::optional<QString> textValue() const
    {
        return kind == Kind::text ? std::optional<QString>(text) : std::nullopt;
    }
    // Item `number` of a list, counted from 1; none when out of range or not
    // a list.
    const ScriptValue* item(qsizetype number) const
    {
        return isList() && number >= 1 && number <= items.size() ? &items[number - 1] : nullptr;
    }

    bool operator==(const ScriptValue&) const = default;
};

// Scripting other applications: running a script that tells them what to
// report or do, and the user's consent for it per application. May be called
// from any thread; a call blocks until the script has answered.
class Automation {
public:
    // The statuses of a consent check.
    static constexpr int kAllowed = 0;
    static constexpr int kNotRunning = -600;
    static constexpr int kNotPermitted = -1743;
    static constexpr int kWouldRequireConsent = -1744;

    virtual ~Automation() = default;

    // Runs a script's source. Its answer; none when the script cannot be
    // compiled, its run reports an error, or it has not answered within
    // `timeLimit` seconds (the run is then abandoned).
    virtual std::optional<ScriptValue> run(const QString& source, double timeLimit) = 0;
    // Whether this process may script the application with this bundle
    // identifier: one of the statuses above, or another error status. With
    // `ask`, the system may ask the user first.
    virtual int permission(const QString& bundleId, bool ask) = 0;
};

} // namespace tavrin
