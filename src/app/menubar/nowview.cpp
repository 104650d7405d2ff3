#include "app/menubar/nowview.h"

#include "app/appstate.h"
#include "design/aiglow.h"
#include "design/apptile.h"
#include "design/designfont.h"
#include "design/designwidget.h"
#include "design/displaypreview.h"
#include "design/elidedlabel.h"
#include "design/hairline.h"
#include "design/hoverbutton.h"
#include "design/kbd.h"
#include "design/keymsg.h"
#include "design/layoutglyph.h"
#include "design/spark.h"
#include "design/squircle.h"
#include "design/takenmark.h"
#include "design/tbutton.h"
#include "design/themed.h"
#include "design/themedlabel.h"
#include "design/tswitch.h"
#include "platform/clock.h"
#include "platform/linuxwords.h"
#include "platform/windowserver.h"
#include "windows/windowmanager.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QVBoxLayout>

#include <utility>

namespace tavrin {

namespace {
// The one colour outside the theme: warnings.
const QColor kAmber(240, 168, 58);

using Colour = TTheme::Colour;

QFont systemFont(qreal size, QFont::Weight weight = QFont::Normal, qreal kerning = 0)
{
    QFont f = DesignFont::system(size, weight);
    if (kerning != 0)
        f.setLetterSpacing(QFont::AbsoluteSpacing, kerning);
    return f;
}

ThemedLabel* text(const QString& s, Colour colour, const QFont& f, QWidget* parent, bool wrap = false)
{
    auto* label = new ThemedLabel(s, colour, f, parent);
    label->setWordWrap(wrap);
    return label;
}

QHBoxLayout* row(int spacing, const QMargins& padding = {})
{
    auto* r = new QHBoxLayout;
    r->setSpacing(spacing);
    r->setContentsMargins(padding);
    return r;
}

// An action's key in a caption: in the danger colour behind its warning mark,
// and saying why in its tooltip, while another program holds it.
void showShortcut(const NowContent& content, QLabel* label, QWidget* mark, const ShortcutAction& action)
{
    auto* themed = qobject_cast<ThemedLabel*>(label);
    if (!themed || !mark)
        return;
    const bool taken = content.shortcutTaken(action);
    themed->setText(content.shortcutText(action));
    themed->setColour(taken ? Colour::danger : Colour::muted);
    themed->setToolTip(taken ? Kbd::takenToolTip() : QString());
    mark->setVisible(taken);
}

QPainterPath rounded(const QRectF& r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

// The window's background and its hairlines.
class Body : public DesignWidget {
public:
    using DesignWidget::DesignWidget;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), t().glassStrong); }
};

// The suggestion card's face: `glassStrong` in a rounded rectangle.
class CardBackground : public DesignWidget {
public:
    using DesignWidget::DesignWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(Squircle::path(QRectF(rect()), 10.5), t().glassStrong);
    }
};

// A hairline with 4 points of room above and below.
QWidget* paddedHairline(QWidget* parent)
{
    auto* room = new QWidget(parent);
    auto* layout = new QVBoxLayout(room);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->addWidget(new Hairline(Qt::Horizontal, room));
    return room;
}

// A list row that runs its action on a click and fills its rounded
// rectangle while the pointer is on it.
class HoverRow : public QAbstractButton {
public:
    HoverRow(QLayout* label, std::function<void()> action, QWidget* parent) : QAbstractButton(parent)
    {
        setLayout(label);
        setCursor(Qt::PointingHandCursor);
        connect(this, &QAbstractButton::clicked, this, [action] { action(); });
        new EnvironmentWatcher(this);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!hover_)
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(rounded(rect(), 8), Environment::theme(this).fill);
    }
    void enterEvent(QEnterEvent*) override { setHover(true); }
    void leaveEvent(QEvent*) override { setHover(false); }

private:
    void setHover(bool on)
    {
        hover_ = on;
        update();
    }
    bool hover_ = false;
};

// A footer link: `ink` under the pointer, else `muted`.
class FootLink : public HoverButton {
public:
    FootLink(const QString& label, std::function<void()> action, QWidget* parent) : HoverButton(parent)
    {
        setText(label);
        setFont(systemFont(12));
        setCursor(Qt::PointingHandCursor);
        connect(this, &QAbstractButton::clicked, this, [action] { action(); });
        new EnvironmentWatcher(this);
    }
    QSize sizeHint() const override { return fontMetrics().size(Qt::TextSingleLine, text()) + QSize(2, 4); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const TTheme t = Environment::theme(this);
        p.setPen(hovered() ? t.ink : t.muted);
        p.drawText(rect(), Qt::AlignCenter, text());
    }
};

// One layout button: the layout's glyph on a rounded rectangle, tinted for
// the usual layout and filled under the pointer.
class LayoutButton : public QAbstractButton {
public:
    LayoutButton(LayoutKind kind, NowContent& content, QWidget* parent)
        : QAbstractButton(parent),
          kind_(kind),
          content_(content)
    {
        const bool usual = content.usualKind() == kind;
        glyph_ = new LayoutGlyph(kind, content.glyphAspect(), 4, usual, this);
        glyph_->setFixedSize(40, 14);
        auto* l = new QHBoxLayout(this);
        l->setContentsMargins(2, 6, 2, 6);
        l->addWidget(glyph_, 0, Qt::AlignCenter);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setEnabled(content.layoutsEnabled());
        setToolTip(content.layoutHelp(kind));
        setAccessibleName(content.layoutAccessibilityLabel(kind));
        connect(this, &QAbstractButton::clicked, this, [this] { content_.apply(kind_); });
        new EnvironmentWatcher(this, [this] { recolour(); });
        recolour();
    }
    void recolour()
    {
        const TTheme t = Environment::theme(this);
        glyph_->setForeground(content_.usualKind() == kind_ ? t.ink : t.muted);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const TTheme t = Environment::theme(this);
        QColor fill = Qt::transparent;
        if (content_.usualKind() == kind_) {
            fill = t.accent;
            fill.setAlphaF(0.13);
        } else if (content_.hovered() == kind_) {
            fill = t.fill;
        }
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(rounded(rect(), 8), fill);
    }
    void enterEvent(QEnterEvent*) override { content_.enterLayout(kind_); }
    void leaveEvent(QEvent*) override { content_.leaveLayout(kind_); }

private:
    LayoutKind kind_;
    NowContent& content_;
    LayoutGlyph* glyph_;
};

// Up to three application tiles overlapping by 5 points, each on a ring of
// `glassStrong` that sets it off from its neighbour.
class TileRow : public DesignWidget {
public:
    static constexpr int kTile = 18;
    static constexpr int kOverlap = 5;
    static constexpr int kRing = 2; // room for the ring's outer half

    TileRow(const QStringList& apps, QWidget* parent) : DesignWidget(parent)
    {
        const int n = int(apps.size());
        for (int i = 0; i < n; ++i) {
            auto* tile = new AppTile(apps[i], kTile, this);
            tile->setGeometry(kRing + i * (kTile - kOverlap), kRing, kTile, kTile);
        }
        setFixedSize(n == 0 ? 0 : 2 * kRing + kTile + (n - 1) * (kTile - kOverlap), kTile + 2 * kRing);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(t().glassStrong, 3));
        for (const QObject* child : children())
            if (const auto* tile = qobject_cast<const AppTile*>(child))
                p.drawPath(rounded(QRectF(tile->geometry()), 5));
    }
};
} // namespace

NowView::NowView(MenuBarServices services, QWidget* parent)
    : QWidget(parent),
      clock_(services.clock),
      server_(services.windowServer),
      openFirstRun_(services.openFirstRun),
      content_(services)
{
    setFixedWidth(int(NowContent::kWidth));
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    themed_ = new Themed(nullptr, this);
    l->addWidget(themed_);
    connect(&content_, &NowContent::changed, this, &NowView::scheduleRebuild);
    connect(&content_, &NowContent::hoverChanged, this, &NowView::updateHover);
    if (server_)
        connect(server_, &WindowServer::changed, this, &NowView::desktopChanged);

    // The window's own keys: Ctrl+1 to Ctrl+3, Settings and Quit.
    for (int p = 1; p <= NowContent::kSavedShown; ++p) {
        auto* key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_0 + p)), this);
        connect(key, &QShortcut::activated, this, [this, p] {
            if (p <= content_.savedRows().size()) {
                content_.openSaved(p);
                emit dismissed();
            }
        });
    }
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma), this), &QShortcut::activated, this, [this] {
        content_.openSettings();
        emit dismissed();
    });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this), &QShortcut::activated, this,
            [this] { content_.quit(); });
    rebuild();
}

void NowView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    shownOnce_ = true;
    // Brought up to date before the window maps, so that it never shows
    // what it held when it was hidden.
    if (!std::exchange(freshForShow_, false)) {
        if (std::exchange(stale_, false))
            rebuild();
        content_.refresh();
    }
    if (needsPolling())
        pollDesktop();
}

void NowView::bringUpToDate()
{
    content_.refresh();
    rebuild();
    stale_ = false;
    freshForShow_ = true;
}

bool NowView::needsPolling() const { return server_ && (!server_->announcesChanges() || !content_.display()); }

void NowView::desktopChanged()
{
    // Once for a burst of news (a window dragged, a layout applied).
    if (!isVisible() || std::exchange(refreshPending_, true))
        return;
    auto refresh = [this] {
        refreshPending_ = false;
        if (!isVisible())
            return;
        content_.refreshWindows();
        if (needsPolling())
            pollDesktop();
    };
    if (clock_)
        clock_->singleShot(NowContent::kRefreshDelay, this, refresh);
    else
        QMetaObject::invokeMethod(this, refresh, Qt::QueuedConnection);
}

void NowView::pollDesktop()
{
    if (!clock_ || std::exchange(pollPending_, true))
        return;
    clock_->singleShot(kPollInterval, this, [this] {
        pollPending_ = false;
        if (!isVisible())
            return;
        content_.refreshWindows();
        if (needsPolling())
            pollDesktop();
    });
}

void NowView::scheduleRebuild()
{
    // A window that was shown and is hidden again is rebuilt when it shows: the engines change at every hot key, and a body
    // nobody sees costs a rebuild each time.
    if (shownOnce_ && !isVisible()) {
        stale_ = true;
        return;
    }
    // Rebuilt from the main loop: a click that changed the content may come
    // from a widget about to be replaced.
    if (rebuildPending_)
        return;
    rebuildPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (rebuildPending_)
                rebuild();
        },
        Qt::QueuedConnection);
}

void NowView::rebuild()
{
    rebuildPending_ = false;
    // Never inside a handler of the old body's widgets: gone at once.
    QWidget* old = themed_->content();
    QWidget* body = buildBody();
    themed_->setContent(body);
    body->show(); // now, so that the window takes its size at once
    delete old;
    // As tall as the wrapped texts need at the window's width: sizing by
    // hints alone caps a window at part of the screen and squeezes the
    // sections into each other.
    setFixedHeight(layout()->totalHeightForWidth(int(NowContent::kWidth)));
    if (QWidget* w = window(); w != this)
        w->adjustSize();
}

void NowView::updateHover()
{
    const LayoutKind kind = content_.captionKind();
    if (auto* name = part<QLabel>(QStringLiteral("captionName")))
        name->setText(tavrin::title(kind));
    showShortcut(content_, part<QLabel>(QStringLiteral("captionShortcut")), part(QStringLiteral("captionTaken")),
                 ShortcutAction::layout(kind));
    for (auto* b : findChildren<LayoutButton*>())
        b->update();
}

QWidget* NowView::buildBody()
{
    auto* body = new Body;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    if (!content_.layoutsEnabled())
        addPermissionBanner(column, body);
    addDisplay(column, body);
    addLayouts(column, body);
    addModes(column, body);
    if (content_.suggestion())
        addSuggestion(column, body);
    addAsk(column, body);
    addSaved(column, body);
    addFooter(column, body);
    return body;
}

// Where moving windows is refused: what Tavrin needs and "Set up…".
void NowView::addPermissionBanner(QVBoxLayout* column, QWidget* body)
{
    auto* banner = new QVBoxLayout;
    banner->setContentsMargins(14, 14, 14, 14);
    banner->setSpacing(8);
    banner->addWidget(text(LinuxWords::of(tr("Tavrin needs Accessibility permission")), Colour::ink,
                           systemFont(13, QFont::DemiBold), body));
    banner->addWidget(text(tr("This lets Tavrin move and resize your windows. Nothing else is read or sent."),
                           Colour::muted, systemFont(12), body, true));
    auto* setUp = new TButton(tr("Set up…"), TButtonStyle::Kind::primary, body);
    setUp->setObjectName(QStringLiteral("setUp"));
    connect(setUp, &QAbstractButton::clicked, body, [this] {
        if (openFirstRun_)
            openFirstRun_();
        emit dismissed();
    });
    banner->addWidget(setUp, 0, Qt::AlignLeft);
    auto* bannerWidget = new QWidget(body);
    bannerWidget->setObjectName(QStringLiteral("permissionBanner"));
    bannerWidget->setLayout(banner);
    column->addWidget(bannerWidget);
    column->addWidget(paddedHairline(body));
}

// The display you are working on: its name, how many windows, its preview.
void NowView::addDisplay(QVBoxLayout* column, QWidget* body)
{
    auto* display = new QVBoxLayout;
    display->setContentsMargins(14, 12, 14, 6);
    display->setSpacing(8);
    auto* header = row(8);
    // One line: a long workspace or display name ends in an ellipsis.
    auto* title = new ElidedLabel(content_.title(), Colour::ink, systemFont(16, QFont::Bold, -0.16), body);
    title->setObjectName(QStringLiteral("displayTitle"));
    auto* subtitle = text(content_.subtitle(), Colour::muted, systemFont(11.5), body);
    subtitle->setObjectName(QStringLiteral("displaySubtitle"));
    header->addWidget(title, 0, Qt::AlignBaseline);
    header->addStretch();
    header->addWidget(subtitle, 0, Qt::AlignBaseline);
    display->addLayout(header);
    QList<DisplayPreview::Item> items;
    for (const WindowSnapshot& s : content_.snapshot())
        items.append({s.id.toString(QUuid::WithoutBraces), s.appName, s.unit});
    auto* preview = new DisplayPreview(content_.previewAspect(), items, 1.5, 6, body);
    preview->setObjectName(QStringLiteral("preview"));
    preview->setFixedSize(int(NowContent::kPreviewWidth), int(std::round(content_.previewHeight())));
    preview->setAccessibleName(content_.previewAccessibilityLabel());
    if (const QString overlay = content_.previewOverlay(); !overlay.isEmpty()) {
        auto* on = new QVBoxLayout(preview);
        auto* label = text(overlay, Colour::muted, systemFont(11), preview);
        label->setObjectName(QStringLiteral("previewOverlay"));
        label->setAlignment(Qt::AlignCenter);
        on->addWidget(label, 0, Qt::AlignCenter);
    }
    display->addWidget(preview);
    column->addLayout(display);
}

// The six layout buttons, the caption of the one under the pointer, the
// window manager's last message, and why settings could not be saved.
void NowView::addLayouts(QVBoxLayout* column, QWidget* body)
{
    auto* layouts = row(4, {10, 2, 10, 8});
    for (const LayoutKind kind : kAllLayoutKinds) {
        auto* b = new LayoutButton(kind, content_, body);
        b->setObjectName(QStringLiteral("layout.") + name(kind));
        layouts->addWidget(b);
    }
    column->addLayout(layouts);
    auto* caption = row(0, {14, 0, 14, 8});
    auto* captionName = text(tavrin::title(content_.captionKind()), Colour::muted, systemFont(11.5), body);
    captionName->setObjectName(QStringLiteral("captionName"));
    auto* captionKey = text(QString(), Colour::muted, systemFont(11.5), body);
    captionKey->setObjectName(QStringLiteral("captionShortcut"));
    auto* captionTaken = new TakenMark(body);
    captionTaken->setObjectName(QStringLiteral("captionTaken"));
    showShortcut(content_, captionKey, captionTaken, ShortcutAction::layout(content_.captionKind()));
    caption->addWidget(captionName);
    caption->addStretch();
    caption->addWidget(captionTaken);
    caption->addSpacing(4);
    caption->addWidget(captionKey);
    column->addLayout(caption);
    if (const QString message = content_.message(); !message.isEmpty()) {
        auto* m = new QLabel(message, body);
        m->setObjectName(QStringLiteral("message"));
        m->setTextFormat(Qt::PlainText);
        m->setWordWrap(true);
        m->setFont(systemFont(12));
        QPalette pal = m->palette();
        pal.setColor(QPalette::WindowText, kAmber);
        m->setPalette(pal);
        m->setContentsMargins(14, 0, 14, 8);
        column->addWidget(m);
    }
    // Unsaved settings: one line, the whole of it on hover.
    if (const QString problem = content_.settingsProblem(); !problem.isEmpty()) {
        auto* p = new KeyMsg(problem, KeyMsg::Tone::err, body);
        p->setObjectName(QStringLiteral("settingsProblem"));
        p->setWordWrap(false);
        p->setToolTip(problem);
        p->setContentsMargins(14, 0, 14, 8);
        p->setText(p->fontMetrics().elidedText(problem, Qt::ElideRight, int(NowContent::kWidth) - 28));
        column->addWidget(p);
    }
}

// Meeting mode and Share-safe, each with its status and switch.
void NowView::addModes(QVBoxLayout* column, QWidget* body)
{
    column->addWidget(paddedHairline(body));
    auto addMode = [&](const NowContent::ModeRow& mode, const QString& id, void (NowContent::*set)(bool)) {
        auto* r = row(10, {14, 7, 14, 7});
        r->addWidget(text(mode.title, Colour::ink, systemFont(13), body));
        auto* status = text(mode.status, mode.active ? Colour::good : Colour::muted, systemFont(12), body);
        status->setObjectName(id + QStringLiteral("Status"));
        r->addWidget(status);
        r->addStretch();
        auto* toggle = new TSwitch(QString(), mode.enabled, body);
        toggle->setObjectName(id + QStringLiteral("Switch"));
        toggle->setAccessibleName(mode.accessibilityLabel);
        connect(toggle, &QAbstractButton::toggled, this, [this, set](bool on) { (content_.*set)(on); });
        r->addWidget(toggle);
        column->addLayout(r);
        if (!mode.notice.isEmpty()) {
            auto* n = new QLabel(mode.notice, body);
            n->setObjectName(id + QStringLiteral("Notice"));
            n->setTextFormat(Qt::PlainText);
            n->setWordWrap(true);
            n->setFont(systemFont(12));
            QPalette pal = n->palette();
            pal.setColor(QPalette::WindowText, kAmber);
            n->setPalette(pal);
            n->setContentsMargins(14, 0, 14, 7);
            column->addWidget(n);
        }
    };
    addMode(content_.meetingRow(), QStringLiteral("meeting"), &NowContent::setMeetingEnabled);
    addMode(content_.shareSafeRow(), QStringLiteral("shareSafe"), &NowContent::setShareSafeEnabled);
}

// One suggestion, as it was read at the last refresh.
void NowView::addSuggestion(QVBoxLayout* column, QWidget* body)
{
    const auto& s = content_.suggestion();
    auto* card = new CardBackground;
    card->setObjectName(QStringLiteral("suggestion"));
    auto* cardColumn = new QVBoxLayout(card);
    cardColumn->setContentsMargins(12, 10, 12, 10);
    cardColumn->setSpacing(7);
    const TTheme t = Environment::theme(themed_);
    auto* words = new QLabel(card);
    words->setObjectName(QStringLiteral("suggestionText"));
    words->setTextFormat(Qt::RichText);
    words->setWordWrap(true);
    words->setFont(systemFont(12.5));
    words->setText(QStringLiteral("<span style=\"color:%1; font-weight:bold\">%2</span>"
                                  "<span style=\"color:%3\">%4</span>")
                       .arg(t.ink.name(), s->bold.toHtmlEscaped(), t.muted.name(), s->rest.toHtmlEscaped()));
    cardColumn->addWidget(words);
    auto* buttons = row(6);
    auto* add = new TButton(tr("Add"), TButtonStyle::Kind::primary, card);
    auto* notNow = new TButton(tr("Not now"), TButtonStyle::Kind::normal, card);
    // Both act on what this card was made for.
    connect(add, &QAbstractButton::clicked, this, [action = s->add] {
        if (action)
            action();
    });
    connect(notNow, &QAbstractButton::clicked, this, [action = s->notNow] {
        if (action)
            action();
    });
    buttons->addWidget(add);
    buttons->addWidget(notNow);
    buttons->addStretch();
    cardColumn->addLayout(buttons);
    // The glow draws into the card's padding around it.
    auto* glow = new AIGlow(AIGlow::Intensity::idle, 12, card, body);
    glow->setObjectName(QStringLiteral("suggestionGlow"));
    glow->setOutsets(QMargins(10, 4, 10, 8));
    column->addWidget(glow);
}

// "Ask Tavrin…" with its shortcut.
void NowView::addAsk(QVBoxLayout* column, QWidget* body)
{
    auto* askLabel = row(10, {8, 7, 8, 7});
    askLabel->addWidget(new Spark(15, body));
    askLabel->addWidget(text(tr("Ask Tavrin…"), Colour::ink, systemFont(13), body));
    askLabel->addStretch();
    auto* askKey = new Kbd(content_.askShortcut(), false, body);
    askKey->setObjectName(QStringLiteral("askShortcut"));
    askKey->setTaken(content_.shortcutTaken(ShortcutAction::of(ShortcutAction::Kind::commandBar)));
    askLabel->addWidget(askKey);
    auto* ask = new HoverRow(
        askLabel,
        [this] {
            content_.ask();
            emit dismissed();
        },
        body);
    ask->setObjectName(QStringLiteral("ask"));
    auto* askRow = row(0, {6, 0, 6, 0});
    askRow->addWidget(ask);
    column->addLayout(askRow);
}

// The three newest saved workspaces, or what saves them.
void NowView::addSaved(QVBoxLayout* column, QWidget* body)
{
    auto* heading = text(tr("Pick up where you left off"), Colour::muted, systemFont(11, QFont::DemiBold, 0.22), body);
    heading->setContentsMargins(14, 6, 14, 4);
    column->addWidget(heading);
    const QList<NowContent::SavedRow> saved = content_.savedRows();
    if (saved.isEmpty()) {
        auto* none = text(NowContent::emptySavedText(), Colour::muted, systemFont(12), body, true);
        none->setObjectName(QStringLiteral("savedEmpty"));
        none->setContentsMargins(14, 0, 14, 8);
        column->addWidget(none);
    }
    for (const NowContent::SavedRow& s : saved) {
        auto* label = row(10, {8, 7, 8, 7});
        label->addWidget(new TileRow(s.tiles, body));
        auto* words = new QVBoxLayout;
        words->setSpacing(1);
        auto* name = new ElidedLabel(s.name, Colour::ink, systemFont(12.5), body);
        name->setObjectName(QStringLiteral("savedName%1").arg(s.position));
        auto* detail = new ElidedLabel(s.detail, Colour::muted, systemFont(12.5), body);
        detail->setObjectName(QStringLiteral("savedDetail%1").arg(s.position));
        words->addWidget(name);
        words->addWidget(detail);
        label->addLayout(words);
        label->addStretch();
        label->addSpacing(6);
        label->addWidget(new Kbd(s.keys, false, body));
        auto* r = new HoverRow(
            label,
            [this, p = s.position] {
                content_.openSaved(p);
                emit dismissed();
            },
            body);
        r->setObjectName(QStringLiteral("saved%1").arg(s.position));
        auto* holder = row(0, {6, 0, 6, 0});
        holder->addWidget(r);
        column->addLayout(holder);
    }
}

// Edit layouts, updates, Settings and Quit.
void NowView::addFooter(QVBoxLayout* column, QWidget* body)
{
    // The rule runs along the footer's top edge; the links sit 9 points
    // below it, as far as from the window's bottom.
    column->addSpacing(4);
    auto* rule = new Hairline(Qt::Horizontal, body);
    rule->setObjectName(QStringLiteral("footerRule"));
    column->addWidget(rule);
    auto* footer = row(14, {14, 9, 14, 9});
    auto link = [&](const QString& label, const QString& id, std::function<void()> action) {
        auto* l = new FootLink(label, std::move(action), body);
        l->setObjectName(id);
        footer->addWidget(l);
    };
    link(tr("Edit layouts…"), QStringLiteral("editLayouts"), [this] {
        content_.editLayouts();
        emit dismissed();
    });
    footer->addStretch();
    link(tr("Updates"), QStringLiteral("updates"), [this] {
        content_.checkForUpdates();
        emit dismissed();
    });
    link(tr("Settings ") + LinuxWords::runningText({LinuxWords::commandInWindow(), QStringLiteral(",")}),
         QStringLiteral("settings"), [this] {
             content_.openSettings();
             emit dismissed();
         });
    link(tr("Quit"), QStringLiteral("quit"), [this] { content_.quit(); });
    column->addLayout(footer);
}

} // namespace tavrin
