#pragma once

#include "windows/placementlearner.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>

namespace tavrin {

class Clock;
class Defaults;
class Timer;

// Counts where the user puts each application on each display, and turns the
// counts into rules ("Safari usually goes on the right of the wide display")
// and into one suggestion at a time. Placements are reported by the window
// manager, the workspace runner and hand placement as unit rectangles, which
// it reduces to zone names; a rule can be kept (layouts then put the
// application in its zone), forgotten, or dismissed as a suggestion.
//
// What it learns is kept in the defaults, as property-list values: read at
// start and by reload() (after an import replaced the keys) in one pass, and
// written a moment after each change (kWriteDelay), so that a burst of
// placements makes one write. A placement updates its one count and its one
// rule, whatever the number learned; the counts changed since the last write
// are kept beside those stored, and the new dictionary of counts is put
// together away from the main thread. Main thread only.
class Learning : public QObject, public PlacementLearner {
    Q_OBJECT
public:
    // What was learned of one application on one display.
    struct Rule {
        QString app;
        QString display; // the display's settings key
        QString zone;    // the kept zone, else the most counted one
        int times = 0;   // placements in `zone` (the top count when `zone` has none)
        int total = 0;   // placements of the application on the display
        bool kept = false;
        bool forgotten = false;

        // "app|display": what the stored keys are indexed by.
        QString key() const { return ruleKey(app, display); }
        // times over total; 0 without placements.
        double share() const { return total > 0 ? double(times) / total : 0.0; }
        friend bool operator==(const Rule&, const Rule&) = default;
    };
    using Rules = QList<Rule>;

private:
    Q_PROPERTY(Rules rules READ rules NOTIFY rulesChanged)
    Q_PROPERTY(int totalMoves READ totalMoves NOTIFY totalMovesChanged)

public:
    static inline const QString kCountsKey = QStringLiteral("learning.counts");
    static inline const QString kKeptKey = QStringLiteral("learning.kept");
    static inline const QString kForgotKey = QStringLiteral("learning.forgot");
    static inline const QString kMovesKey = QStringLiteral("learning.moves");
    static inline const QString kDismissedKey = QStringLiteral("learning.suggestionDismissed");
    // A rule is listed from this many placements on (kept rules always).
    static constexpr int kRuleMinimum = 3;
    // A rule is suggested from this many placements and this share on.
    static constexpr int kSuggestionMinimum = 4;
    static constexpr double kSuggestionShare = 0.75;
    // How long after a placement its counts are written.
    static constexpr double kWriteDelay = 1.0;

    // Reads the stored rules from `defaults` and writes them there; times
    // and background work on `clock`. Writes what is not written yet when
    // the application quits.
    Learning(Defaults& defaults, Clock& clock, QObject* parent = nullptr);
    ~Learning() override;

    static QString ruleKey(const QString& app, const QString& displayKey) { return app + u'|' + displayKey; }

    // Rules in order: kept first, then by share and by total, larger first;
    // rules equal in all three by key. Rules of fewer than three placements
    // are left out unless kept; rules forgotten in an earlier run too.
    const Rules& rules() const;
    // Placements counted in all, never below 0.
    int totalMoves() const;
    // The monotonic clock time of the last record() call, counted or not;
    // minus infinity before the first.
    double lastRecord() const { return lastRecord_; }

    // Counts one placement in the rectangle's zone, unless the rule is
    // forgotten; either way the time of the call is remembered.
    void record(const QString& app, const Display& display, const UnitRect& unit, bool focus) override;
    // Takes back one placement counted in that zone; nothing when there is none.
    void unrecord(const QString& app, const Display& display, const UnitRect& unit, bool focus) override;
    // Where applications with a kept rule go among a layout's slots (the
    // first free slot of their zone), then every other application in order
    // to the free slots left: pairs (index into `apps`, index into `zones`),
    // the matches first. Applications beyond the slots get none.
    std::vector<std::pair<int, int>> placements(const QStringList& apps, const std::vector<UnitRect>& zones,
                                                const Display& display) override;

    // Rebuilds the rules and the move total from the stored keys; counts
    // not written yet give way to what is stored.
    void reload();
    // Writes the counts and the move total now, if they changed (a write
    // under way in the background is overtaken).
    void save();
    // Keeps the rule at its zone: layouts put the application there.
    void keep(const Rule& rule);
    // Stops counting the application there and forgets whether it was kept;
    // the rule stays listed, marked forgotten, until the program restarts.
    void forget(const Rule& rule);
    // Takes back a forget (and a keep): the rule counts again, not kept.
    void unforget(const Rule& rule);
    // Suggests the rule no more.
    void dismiss(const Rule& rule);
    // Forgets every count, rule, dismissal and the move total.
    void resetAll();

    // The strongest rule that is neither kept, forgotten nor dismissed, with
    // at least 4 placements, 75 % of them in its zone; else none.
    std::optional<Rule> suggestion() const;
    // A zone name in words: "in the edge strip", "full screen", "in the main
    // spot, left", "on the right, top".
    static QString sentence(const QString& zone);

signals:
    void rulesChanged();
    void totalMovesChanged();
    // The rules, the move total or the dismissals changed: the suggestion may differ.
    void changed();

private:
    // A listed rule and its key, made once: the order compares them as they
    // are, building nothing.
    struct Entry {
        Rule rule;
        QString key;
    };
    // The order rules are listed in.
    struct Order {
        bool operator()(const Entry& a, const Entry& b) const;
        // Kept first, then by share and by total, larger first.
        static bool before(const Rule& a, const Rule& b);
    };
    using Ordered = std::set<Entry, Order>;
    // Counts changed since the last write, by key; an empty dictionary for a
    // key whose counts are all gone.
    using Changes = QHash<QString, QVariantMap>;
    struct Write;

    Defaults& defaults() const { return defaults_; }
    // The zone counts of `key`: changed since the last write, else stored.
    QVariantMap zonesOf(const QString& key) const;
    // What is kept, forgotten and forgotten in this run, by key.
    struct Marks {
        QVariantMap kept; // "app|display" -> zone
        QSet<QString> forgot;
        QSet<QString> forgottenThisSession;
    };
    static std::optional<Rule> ruleFor(const QString& key, const QVariantMap& zones, const Marks& marks);
    // The rules of stored counts, in order; none when the counts are not
    // readable. Any thread.
    struct Load {
        bool readable = true;
        Ordered ordered;
        static Load of(const QVariant& counts, const Marks& marks);
    };
    // Reads what is stored but the rules, forgetting what was not written;
    // the stored counts.
    QVariant readStored();
    // reload(), with the rules made in the background: a large table holds
    // up no start.
    void loadInBackground();
    // Lists the loaded rules; true when the list changed.
    bool take(Load load);
    // The rule of `key` as its counts and marks now make it.
    std::optional<Rule> listedRule(const QString& key) const;
    // Lists the rule of `key` as it is now, in place of `before` (the rule
    // as it was listed, asked for before the change); true when that
    // changed the list.
    bool relist(const QString& key, const std::optional<Rule>& before);
    // Adds `by` to the count of `zone` (removing it at 0); false when there
    // was no count to take back.
    bool count(const QString& key, const QString& zone, int by);
    // Asks for a write of the counts and the move total after kWriteDelay.
    void saveSoon();
    // Puts the new counts together in the background, then stores them.
    void writeInBackground();
    void finishWrite(const Write& write);
    // Stores `counts` as the counts and the move total as it is now.
    void store(const QVariantMap& counts);
    void announce(bool movesChanged, bool rulesChanged);

    // The counts as last read or written: shared with the defaults, never
    // changed in place, so the table is held once.
    QVariantMap stored_;
    // Whether what the defaults hold under the counts' key is readable (or
    // absent): a write then need not look at it again.
    bool storedReadable_ = true;
    Changes changes_;
    bool movesUnsaved_ = false;
    bool writing_ = false;         // a write is being put together
    bool loading_ = false;         // the rules are being made in the background
    QSet<QString> touched_;        // keys relisted while loading
    std::uint64_t generation_ = 0; // of what is stored: a reload makes a write under way stale
    Marks marks_;
    qint64 moves_ = 0;
    Ordered ordered_;
    mutable std::optional<Rules> rules_; // `ordered_` as a list, made when asked for
    std::unique_ptr<Timer> saveTimer_;   // made at the first change
    double lastRecord_;
    Defaults& defaults_;
    Clock& clock_;
};

} // namespace tavrin
