#pragma once

#include <QMetaType>
#include <QString>

namespace tavrin {

// Where the command bar is in its cycle. A failed phase carries the message
// to show; two phases are equal when their kinds are, and two failed phases
// when their messages are too.
struct CommandBarPhase {
    enum class Kind { failed, asking, thinking, preview, adjusting, arranging };

    Kind kind = Kind::asking;
    QString message;
    // A failure that came from the planners (not from Accessibility, the
    // display, matching or the runner): only such a failure may give way to
    // the AI setup card. Not part of equality.
    bool fromPlanner = false;
    // A failure of arranging a plan that was made: the card says the
    // arranging failed, not the planning. Not part of equality.
    bool fromArranging = false;

    static CommandBarPhase failed(QString message, bool fromPlanner = false)
    {
        return {Kind::failed, std::move(message), fromPlanner};
    }
    static CommandBarPhase arrangingFailed(QString message) { return {Kind::failed, std::move(message), false, true}; }
    static CommandBarPhase asking() { return {Kind::asking, {}, false}; }
    static CommandBarPhase thinking() { return {Kind::thinking, {}, false}; }
    static CommandBarPhase preview() { return {Kind::preview, {}, false}; }
    static CommandBarPhase adjusting() { return {Kind::adjusting, {}, false}; }
    static CommandBarPhase arranging() { return {Kind::arranging, {}, false}; }

    bool is(Kind k) const { return kind == k; }
    // thinking or arranging: the spinner turns and the glow works.
    bool isBusy() const { return kind == Kind::thinking || kind == Kind::arranging; }
    // preview, adjusting or arranging: the plan is on show.
    bool showsPlan() const { return kind == Kind::preview || kind == Kind::adjusting || kind == Kind::arranging; }

    friend bool operator==(const CommandBarPhase& a, const CommandBarPhase& b)
    {
        return a.kind == b.kind && (a.kind != Kind::failed || a.message == b.message);
    }
};

// The case name ("failed", "asking", …).
QString name(CommandBarPhase::Kind kind);

} // namespace tavrin

Q_DECLARE_METATYPE(tavrin::CommandBarPhase)
