#include "commandbar/settingsplaceholder.h"

#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>
#include <QWidget>

namespace tavrin {

void SettingsPlaceholder::show(const QString& pane)
{
    static QPointer<QWidget> window;
    if (!window) {
        window = new QWidget(nullptr, Qt::Window);
        window->setObjectName(QStringLiteral("settingsPlaceholder"));
        window->setAttribute(Qt::WA_DeleteOnClose);
        auto* layout = new QVBoxLayout(window);
        auto* label = new QLabel(window);
        label->setObjectName(QStringLiteral("settingsPlaceholderText"));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        layout->addWidget(label);
        window->resize(420, 120);
    }
    const QString where = pane == QStringLiteral("ai") ? QStringLiteral("AI") : pane;
    window->setWindowTitle(where.isEmpty() ? QStringLiteral("Settings") : QStringLiteral("Settings · ") + where);
    window->findChild<QLabel*>(QStringLiteral("settingsPlaceholderText"))
        ->setText(QStringLiteral("The Settings window is not part of this build yet. ")
                  + (pane == QStringLiteral("ai") ? QStringLiteral("The AI engine and the Claude key are chosen in "
                                                                   "its AI pane.")
                                                  : QString()));
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace tavrin
