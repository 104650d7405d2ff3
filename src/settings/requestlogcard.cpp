#include "settings/requestlogcard.h"

#include "app/menubar/nowcontent.h"
#include "design/designfont.h"
#include "design/hairline.h"
#include "design/keymsg.h"
#include "design/tbutton.h"
#include "design/tcardtitle.h"
#include "design/themedlabel.h"
#include "planning/requestlog.h"

#include <QHBoxLayout>
#include <QLayoutItem>
#include <QVBoxLayout>

namespace tavrin {

namespace {
KeyMsg* outcomeLine(const RequestLog::Outcome& outcome)
{
    switch (outcome.kind) {
    case RequestLog::Outcome::Kind::waiting:
        return new KeyMsg(QCoreApplication::translate("RequestLogCard", "Waiting for an answer…"), KeyMsg::Tone::plain);
    case RequestLog::Outcome::Kind::ok:
        return new KeyMsg(QCoreApplication::translate("RequestLogCard", "Answered with a plan."), KeyMsg::Tone::ok);
    case RequestLog::Outcome::Kind::failed: return new KeyMsg(outcome.message, KeyMsg::Tone::err);
    }
    return new KeyMsg(QString());
}

// One request: its headline, what was typed, how it ended, and the request
// as sent behind a button.
QWidget* entryView(const RequestLog::Entry& entry)
{
    auto* box = new QWidget;
    box->setObjectName(QStringLiteral("request.") + entry.id.toString(QUuid::WithoutBraces));
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    auto* top = new QHBoxLayout;
    auto* head = new ThemedLabel(RequestLogCard::headline(entry.date, entry.engine, entry.destination, entry.bytes),
                                 TTheme::Colour::muted, DesignFont::system(11.5));
    head->setWordWrap(true);
    top->addWidget(head, 1);
    auto* toggle =
        new TButton(QCoreApplication::translate("RequestLogCard", "Show request"), TButtonStyle::Kind::ghost);
    top->addWidget(toggle, 0, Qt::AlignTop);
    column->addLayout(top);
    auto* typed = new ThemedLabel(QStringLiteral("“%1”").arg(entry.typed), TTheme::Colour::ink, DesignFont::system(13));
    typed->setWordWrap(true);
    column->addWidget(typed);
    column->addWidget(outcomeLine(entry.outcome));
    auto* sent = new ThemedLabel(entry.text, TTheme::Colour::ink, DesignFont::monospaced(11));
    sent->setObjectName(QStringLiteral("sentText"));
    sent->setWordWrap(true);
    sent->setTextInteractionFlags(Qt::TextSelectableByMouse);
    sent->setVisible(false);
    column->addWidget(sent);
    QObject::connect(toggle, &QAbstractButton::clicked, sent, [sent, toggle] {
        sent->setVisible(!sent->isVisible());
        toggle->setText(sent->isVisible() ? QCoreApplication::translate("RequestLogCard", "Hide request")
                                          : QCoreApplication::translate("RequestLogCard", "Show request"));
    });
    return box;
}
} // namespace

RequestLogCard::RequestLogCard(RequestLog& log, QWidget* parent) : TCard(kUsualPadding, parent), log_(log)
{
    setObjectName(QStringLiteral("requestLogCard"));
    connect(&log_, &RequestLog::entriesChanged, this, &RequestLogCard::fill);
    fill();
}

QString RequestLogCard::sizeText(qint64 bytes)
{
    if (bytes < 1000)
        return bytes == 1 ? tr("1 byte") : tr("%1 bytes").arg(bytes);
    return tr("%1 KB").arg(QLocale().toString(double(bytes) / 1000, 'f', 1));
}

QString RequestLogCard::headline(const QDateTime& date, const QString& engine, const QString& destination, qint64 bytes)
{
    QStringList parts{NowContent::timeText(date), engine};
    if (!destination.isEmpty())
        parts << destination;
    parts << sizeText(bytes);
    return parts.join(QStringLiteral(" · "));
}

void RequestLogCard::fill()
{
    QLayout* layout = contentLayout();
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
    addWidget(new TCardTitle(tr("Requests sent")));
    const QList<RequestLog::Entry>& entries = log_.entries();
    if (entries.isEmpty()) {
        addWidget(new KeyMsg(tr("Nothing sent yet. Each request to a planner shows here exactly as it was sent, "
                                "until you quit Tavrin."),
                             KeyMsg::Tone::plain));
        return;
    }
    addWidget(new KeyMsg(entries.size() == 1
                             ? tr("One request, kept only until you quit.")
                             : tr("The last %1 requests, newest first, kept only until you quit.").arg(entries.size()),
                         KeyMsg::Tone::plain));
    for (qsizetype i = 0; i < entries.size() && i < RequestLog::kCapacity; ++i) {
        addWidget(new Hairline);
        addWidget(entryView(entries[i]));
    }
}

} // namespace tavrin
