#include "settings/settingssidebar.h"

#include "design/designfont.h"
#include "design/environment.h"
#include "design/hoverbutton.h"
#include "design/squircle.h"
#include "settings/paneicon.h"
#include "settings/settingsrouter.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QPainter>
#include <QVBoxLayout>

namespace tavrin {

namespace {
// One pane in the list: icon and title; tinted with the accent when
// selected, filled under the pointer.
class SidebarRow : public HoverButton {
public:
    SidebarRow(SettingsPane pane, SettingsRouter& router, QWidget* parent)
        : HoverButton(parent),
          pane_(pane),
          router_(router)
    {
        setObjectName(QStringLiteral("sidebar.") + settingsPaneName(pane));
        setText(SettingsSidebar::title(pane));
        setAccessibleName(text());
        setFont(DesignFont::system(13));
        setFixedHeight(SettingsSidebar::kRowHeight);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        connect(this, &QAbstractButton::clicked, this, [this] { router_.setPane(pane_); });
        new EnvironmentWatcher(this);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const TTheme t = Environment::theme(this);
        const bool selected = router_.pane() == pane_;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF face = QRectF(rect()).adjusted(0, 1, 0, -1);
        if (selected) {
            QColor tint = t.accent;
            tint.setAlphaF(0.16);
            Squircle::fill(p, face, 7, tint);
        } else if (hovered() || isDown()) {
            Squircle::fill(p, face, 7, t.fill);
        }
        PaneIcon::paint(p, QPointF(10, (height() - PaneIcon::kSize) / 2.0), pane_, selected ? t.accent : t.muted);
        QFont f = font();
        if (selected)
            f.setWeight(QFont::DemiBold);
        p.setFont(f);
        p.setPen(t.ink);
        p.drawText(QRectF(34, 0, width() - 40, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
    }

private:
    SettingsPane pane_;
    SettingsRouter& router_;
};
} // namespace

SettingsSidebar::SettingsSidebar(SettingsRouter& router, QWidget* parent) : DesignWidget(parent), router_(router)
{
    setObjectName(QStringLiteral("settingsSidebar"));
    setFixedWidth(kWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 18, 10, 12);
    column->setSpacing(2);
    for (SettingsPane pane : kAllSettingsPanes) {
        auto* row = new SidebarRow(pane, router, this);
        rows_ << row;
        column->addWidget(row);
    }
    column->addStretch(1);
    connect(&router_, &SettingsRouter::paneChanged, this, [this] {
        for (QAbstractButton* row : rows_)
            row->update();
    });
}

QString SettingsSidebar::title(SettingsPane pane)
{
    switch (pane) {
    case SettingsPane::general: return QCoreApplication::translate("SettingsSidebar", "General");
    case SettingsPane::layouts: return QCoreApplication::translate("SettingsSidebar", "Layouts");
    case SettingsPane::workspaces: return QCoreApplication::translate("SettingsSidebar", "Workspaces");
    case SettingsPane::modes: return QCoreApplication::translate("SettingsSidebar", "Modes");
    case SettingsPane::learning: return QCoreApplication::translate("SettingsSidebar", "Learning");
    case SettingsPane::shortcuts: return QCoreApplication::translate("SettingsSidebar", "Shortcuts");
    case SettingsPane::integrations: return QCoreApplication::translate("SettingsSidebar", "Integrations");
    case SettingsPane::privacy: return QCoreApplication::translate("SettingsSidebar", "Privacy");
    case SettingsPane::ai: return QCoreApplication::translate("SettingsSidebar", "AI");
    }
    return {};
}

QAbstractButton* SettingsSidebar::row(SettingsPane pane) const
{
    for (QAbstractButton* row : rows_)
        if (row->objectName() == QStringLiteral("sidebar.") + settingsPaneName(pane))
            return row;
    return nullptr;
}

void SettingsSidebar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const TTheme theme = t();
    p.fillRect(rect(), theme.fill);
    p.fillRect(QRectF(width() - 0.5, 0, 0.5, height()), theme.line);
}

} // namespace tavrin
