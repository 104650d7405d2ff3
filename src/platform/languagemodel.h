#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>

namespace tavrin {

// The shape the on-device model is guided into: a workspace plan that names
// applications and, where it uses an open one, the window by its number in
// the request.
struct GuidedPlan {
    struct Window {
        QString app;
        QString purpose;
        QString openURL;                          // empty: none
        std::optional<int> window = std::nullopt; // the open window it uses, when named
        bool operator==(const Window&) const = default;
    };
    struct Clear {
        QString app;
        QString action;                           // one of the guide's clear actions
        std::optional<int> window = std::nullopt; // the open window, when named
        bool operator==(const Clear&) const = default;
    };

    QString workspaceName;
    QString layout; // one of the guide's layouts
    QString why;
    QList<Window> windows;
    QList<Clear> clear;
    bool operator==(const GuidedPlan&) const = default;
};

// The choices a guided plan is held to.
struct PlanGuide {
    QStringList layouts;
    QStringList clearActions;
    int maxWindows = 6;
};

// A generated plan, or why there is none.
struct GuidedGeneration {
    std::optional<GuidedPlan> plan;
    QString error;
};

// One conversation with the model under fixed instructions.
class LanguageModelSession {
public:
    virtual ~LanguageModelSession() = default;
    // Greedy generation of a plan for `prompt`. Never fails by throwing.
    virtual QCoro::Task<GuidedGeneration> generatePlan(QString prompt) = 0;
};

// The on-device language model: the operating system's, or a model server
// on this computer.
class LanguageModel : public QObject {
    Q_OBJECT
public:
    struct Availability {
        bool available = false;
        QString reason; // why not, when unavailable
    };

    using QObject::QObject;

    // Whether the model can be used, as last known; answers at once.
    virtual Availability availability() const = 0;
    // Asks afresh where that takes a moment (a server on this computer);
    // `availabilityChanged` follows a change.
    virtual QCoro::Task<Availability> checkAvailability() { co_return availability(); }
    // A session with fixed instructions and no tools. Sessions may outlive
    // the call that made them; they answer even when the model went away.
    virtual std::shared_ptr<LanguageModelSession> makeSession(QString instructions, PlanGuide guide) = 0;

signals:
    void availabilityChanged();
};

} // namespace tavrin
