#include "settings/shortcutrecorder.h"

#include "platform/hotkeys.h"
#include "platform/qtkeytranslator.h"
#include "windows/shortcutstore.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace tavrin {

namespace {
constexpr std::uint32_t kCommandKeys = modifier::control | modifier::option | modifier::command;
}

ShortcutRecorder::ShortcutRecorder(ShortcutStore& store, std::function<QString(const ShortcutAction&)> title,
                                   QObject* parent)
    : QObject(parent),
      store_(store),
      title_(std::move(title))
{}

ShortcutRecorder::~ShortcutRecorder()
{
    if (isListening()) {
        qApp->removeEventFilter(this);
        store_.setRecording(false);
    }
}

std::optional<KeyCombo> ShortcutRecorder::comboFor(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const auto code = QtKeyTranslator::macKeyCode(qtKey);
    if (!code)
        return std::nullopt;
    return KeyCombo{*code, QtKeyTranslator::carbonModifiers(modifiers), QtKeyTranslator::keyLabel(qtKey)};
}

void ShortcutRecorder::start(const ShortcutAction& action, QWidget* window)
{
    const bool wasListening = isListening();
    action_ = action;
    window_ = window ? window->window() : nullptr;
    refusal_.clear();
    if (!wasListening) {
        qApp->installEventFilter(this);
        store_.setRecording(true);
    }
    emit changed();
}

void ShortcutRecorder::cancel()
{
    if (isListening())
        stop();
}

void ShortcutRecorder::stop()
{
    action_.reset();
    window_.clear();
    refusal_.clear();
    qApp->removeEventFilter(this);
    // Hot keys come back with the bindings as they are now.
    store_.setRecording(false);
    emit changed();
}

ShortcutRecorder::Outcome ShortcutRecorder::refuse(const QString& why)
{
    refusal_ = why;
    emit changed();
    return Outcome::refused;
}

std::optional<ShortcutAction> ShortcutRecorder::holderOf(const KeyCombo& combo) const
{
    for (const ShortcutAction& other : ShortcutAction::allCases()) {
        if (other == *action_)
            continue;
        const auto bound = store_.combo(other);
        if (bound && bound->keyCode == combo.keyCode && bound->modifiers == combo.modifiers)
            return other;
    }
    return std::nullopt;
}

ShortcutRecorder::Outcome ShortcutRecorder::press(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (!isListening())
        return Outcome::ignored;
    if (QtKeyTranslator::isModifierKey(qtKey))
        return Outcome::listening;
    if (qtKey == Qt::Key_Escape) {
        stop();
        return Outcome::cancelled;
    }
    const auto combo = comboFor(qtKey, modifiers);
    const bool commandKey = combo && (combo->modifiers & kCommandKeys);
    if ((qtKey == Qt::Key_Backspace || qtKey == Qt::Key_Delete) && !commandKey) {
        store_.set(std::nullopt, *action_);
        stop();
        return Outcome::cleared;
    }
    if (!combo)
        return refuse(tr("That key can't be part of a shortcut."));
    if (!commandKey && !QtKeyTranslator::isFunctionKey(qtKey))
        return refuse(tr("Press Ctrl, Alt or Super with the key."));
    if (const auto holder = holderOf(*combo))
        return refuse(
            tr("%1 is already the shortcut for %2.").arg(combo->text(), title_ ? title_(*holder) : holder->id()));
    store_.set(*combo, *action_);
    stop();
    return Outcome::recorded;
}

bool ShortcutRecorder::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool inWindow = widget && window_ && widget->window() == window_;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // No shortcut of the window runs while keys are being recorded.
        if (inWindow)
            event->accept();
        return false;
    case QEvent::KeyPress:
        if (!inWindow)
            return false;
        {
            const auto* key = static_cast<QKeyEvent*>(event);
            press(key->key(), key->modifiers());
        }
        return true;
    case QEvent::Hide:
    case QEvent::WindowDeactivate:
        if (widget && widget == window_)
            cancel();
        return false;
    default: return false;
    }
}

} // namespace tavrin
