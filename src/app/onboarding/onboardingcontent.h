#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

namespace tavrin {

class AppState;

// What the first-run window shows and does: three steps (Accessibility, the
// desktop's edge tiling, the note on app integrations), each done or not,
// at most one of them current, and the footer button. It follows the shared
// AppState, whose poll keeps trust and tiling current, and the
// "onboardingIntegrationsSeen" setting. Main thread only.
class OnboardingContent : public QObject {
    Q_OBJECT
public:
    enum class ButtonKind { normal, primary };
    enum class Action { requestAccessibility, openDesktopSettings, gotIt };

    struct Step {
        int number = 0;
        QString title;
        std::optional<QString> badge;
        QString detail;
        bool done = false;
        QString doneText;
        bool current = false;
        QString buttonTitle;
        ButtonKind buttonKind = ButtonKind::normal;
        Action action = Action::requestAccessibility;
        // Why the button opened nothing when last pressed; empty when it did.
        QString note;
        friend bool operator==(const Step&, const Step&) = default;
    };

    struct Footer {
        QString buttonTitle;
        ButtonKind buttonKind = ButtonKind::normal;
    };

    static inline const QString kIntegrationsSeenKey = QStringLiteral("onboardingIntegrationsSeen");
    static inline const QString kAccessibilityAddress =
        QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility");
    static inline const QString kDesktopSettingsAddress =
        QStringLiteral("x-apple.systempreferences:com.apple.Desktop-Settings.extension");

    // The three steps for a state, in order.
    static QList<Step> steps(bool trusted, bool tiling, bool integrationsSeen);
    static Footer footer(bool trusted);

    explicit OnboardingContent(AppState& state, QObject* parent = nullptr);

    QList<Step> steps() const;
    Footer footer() const;
    bool integrationsSeen() const;

    // The steps' buttons.
    void perform(Action action);
    // Asks for Accessibility (the system shows its request) and opens its
    // settings pane; the poll picks up the answer.
    void requestAccessibility();
    void openDesktopSettings();
    void gotIt();

    // Opens an address with the desktop; false, opening nothing, when it does
    // not parse or nothing opens it.
    static bool open(const QString& address);
    // What to say when the desktop's settings could not be opened.
    static QString noSettingsNote();
    // Where the setting is in the settings program just opened for
    // `address`, when the program can't be told to open there; else empty.
    static QString openedNote(const QString& address);

signals:
    // Anything the window shows may have changed.
    void changed();

private:
    void openSettings(const QString& address, Action action);

    QPointer<AppState> state_;
    // The step whose button last found no settings to open.
    std::optional<std::pair<Action, QString>> note_;
};

} // namespace tavrin
