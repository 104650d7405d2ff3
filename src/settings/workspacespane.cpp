#include "settings/workspacespane.h"

#include "design/designfont.h"
#include "design/hairline.h"
#include "design/keymsg.h"
#include "design/layoutglyph.h"
#include "design/squircle.h"
#include "design/tbutton.h"
#include "design/tcard.h"
#include "design/themedlabel.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "workspaces/savedworkspacestore.h"

#include <QHBoxLayout>
#include <QLayoutItem>
#include <QPainter>
#include <QVBoxLayout>

namespace tavrin {

namespace {
// The small "Auto" mark of a workspace saved automatically.
class AutoMark : public DesignWidget {
public:
    explicit AutoMark(QWidget* parent = nullptr) : DesignWidget(parent)
    {
        setFont(DesignFont::system(10.5, QFont::DemiBold));
        setToolTip(QCoreApplication::translate("WorkspacesPane", "Saved automatically"));
        const QSize text = fontMetrics().size(Qt::TextSingleLine, label());
        setFixedSize(text.width() + 12, text.height() + 2);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const TTheme theme = t();
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        Squircle::fill(p, rect(), height() / 2.0, theme.fillHover);
        p.setPen(theme.muted);
        p.drawText(rect(), Qt::AlignCenter, label());
    }

private:
    static QString label() { return QCoreApplication::translate("WorkspacesPane", "Auto"); }
};
} // namespace

WorkspacesPane::WorkspacesPane(QWidget* parent)
    : PanePage(tr("Workspaces"),
               tr("Workspaces you saved from the command bar, and those Tavrin saved for you as you worked."), parent),
      list_(addCard())
{
    list_->setObjectName(QStringLiteral("workspaceList"));
    fill();
}

QString WorkspacesPane::detail(const SavedWorkspace& workspace, const QDateTime& now)
{
    QString when = tr("Saved %1").arg(SavedWorkspace::relativeDate(workspace.savedAt, now));
    if (workspace.apps.isEmpty())
        return when;
    return when + QStringLiteral(" · ") + workspace.apps.join(QStringLiteral(", "));
}

void WorkspacesPane::fill()
{
    QLayout* layout = list_->contentLayout();
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->hide();
            w->deleteLater();
        }
        delete item;
    }

    const QList<SavedWorkspace> saved = SavedWorkspaceStore::load();
    if (saved.isEmpty()) {
        list_->addWidget(
            new KeyMsg(tr("No saved workspaces yet. In the command bar, press Ctrl+↵ to arrange a plan and "
                          "save it."),
                       KeyMsg::Tone::plain));
        return;
    }
    const Clock* clock = Platform::current().clock;
    const QDateTime now = clock ? clock->nowDate() : QDateTime::currentDateTime();
    for (qsizetype i = 0; i < saved.size(); ++i) {
        const SavedWorkspace& workspace = saved[i];
        if (i > 0)
            list_->addWidget(new Hairline);
        auto* row = new QWidget;
        row->setObjectName(QStringLiteral("workspace.") + workspace.name);
        row->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(12);
        auto* glyph = new LayoutGlyph(workspace.layout, 1.6, std::max<int>(1, int(workspace.apps.size())), false);
        glyph->setFixedSize(34, 22);
        line->addWidget(glyph, 0, Qt::AlignVCenter);

        auto* words = new QVBoxLayout;
        words->setSpacing(2);
        auto* nameRow = new QHBoxLayout;
        nameRow->setSpacing(6);
        nameRow->addWidget(
            new ThemedLabel(workspace.name, TTheme::Colour::ink, DesignFont::system(13, QFont::DemiBold)));
        if (workspace.isAutomatic())
            nameRow->addWidget(new AutoMark, 0, Qt::AlignVCenter);
        nameRow->addStretch(1);
        words->addLayout(nameRow);
        auto* detailLabel = new ThemedLabel(detail(workspace, now), TTheme::Colour::muted, DesignFont::system(12));
        detailLabel->setWordWrap(true);
        words->addWidget(detailLabel);
        line->addLayout(words, 1);

        auto* remove = new TButton(tr("Delete"), TButtonStyle::Kind::ghost);
        remove->setObjectName(QStringLiteral("delete"));
        remove->setAccessibleName(tr("Delete %1").arg(workspace.name));
        connect(remove, &QAbstractButton::clicked, this, [this, name = workspace.name] { this->remove(name); });
        line->addWidget(remove, 0, Qt::AlignVCenter);
        list_->addWidget(row);
    }
}

void WorkspacesPane::remove(const QString& name)
{
    SavedWorkspaceStore::remove(name);
    fill();
}

} // namespace tavrin
