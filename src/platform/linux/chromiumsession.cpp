#include "platform/linux/chromiumsession.h"

#include "platform/linux/profilelock.h"
#include "platform/linux/regularfile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QtEndian>
#include <algorithm>

namespace tavrin::ChromiumSession {

namespace {

constexpr qint64 kMaxFile = qint64{64} * 1024 * 1024;

// Reads little-endian values from a byte range; a read past the end fails
// every later read.
class Reader {
public:
    Reader(const char* data, qsizetype size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }
    qsizetype left() const { return size_ - at_; }

    template <class T>
    T number()
    {
        if (!take(sizeof(T)))
            return T();
        return qFromLittleEndian<T>(data_ + at_ - qsizetype(sizeof(T)));
    }
    // A pickled string: its length, its bytes, padding to 4 bytes.
    QString string8()
    {
        const qint32 length = number<qint32>();
        if (length < 0 || !take(length) || !pad(length))
            return fail();
        return QString::fromUtf8(data_ + at_ - padded(length), length);
    }
    // A pickled UTF-16 string: its length in units, the units, padding.
    QString string16()
    {
        const qint32 length = number<qint32>();
        if (length < 0 || length > left() / 2 || !take(qsizetype(length) * 2) || !pad(qsizetype(length) * 2))
            return fail();
        const char* units = data_ + at_ - padded(qsizetype(length) * 2);
        QString out(length, Qt::Uninitialized);
        for (qsizetype i = 0; i < length; ++i)
            out[i] = QChar(qFromLittleEndian<quint16>(units + 2 * i));
        return out;
    }

private:
    static qsizetype padded(qsizetype n) { return (n + 3) & ~qsizetype(3); }
    bool take(qsizetype n)
    {
        if (!ok_ || n < 0 || n > left())
            return ok_ = false;
        at_ += n;
        return true;
    }
    bool pad(qsizetype n) { return take(padded(n) - n); }
    QString fail()
    {
        ok_ = false;
        return {};
    }

    const char* data_;
    qsizetype size_;
    qsizetype at_ = 0;
    bool ok_ = true;
};

// The pages one tab keeps: its history farthest back goes first.
constexpr int kMaxPagesPerTab = 64;

struct Tab {
    qint32 window = 0;
    qint32 index = 0;
    qint32 selected = -1;           // navigation index; -1: the last recorded
    QMap<qint32, BrowserTab> pages; // by navigation index
};

// Every command is applied in constant time (hash lookups), and the windows
// are built in one pass over the tabs: a read is linear in the file.
struct Replay {
    QHash<qint32, Tab> tabs;
    QHash<qint32, QSet<qint32>> tabsOf; // window → its tabs
    QHash<qint32, qint32> selectedTab;  // window → index
    QHash<qint32, Rect> bounds;         // window → its frame written last
    qint32 active = 0;                  // the window in use last (ids are not 0)
    QHash<qint32, qint64> seenAt;       // open window → when it first appeared
    qint64 seen = 0;

    void seeWindow(qint32 window)
    {
        if (!seenAt.contains(window))
            seenAt.insert(window, seen++);
    }
    // The tab, made when there is room for one more.
    Tab* tab(qint32 id)
    {
        const auto it = tabs.find(id);
        if (it != tabs.end())
            return &*it;
        return tabs.size() < kMaxTabsRead ? &tabs[id] : nullptr;
    }
    void apply(quint8 command, Reader r);
    QList<BrowserWindow> windows() const;

private:
    // One command each, its arguments read from `r`.
    void moveTab(Reader& r);
    void recordPage(Reader& r);
    void closeTab(Reader& r);
    void closeWindow(Reader& r);
};

void Replay::apply(quint8 command, Reader r)
{
    switch (command) {
    case setTabWindow: moveTab(r); break;
    case setTabIndexInWindow:
    case setSelectedNavigationIndex: {
        const auto id = r.number<qint32>();
        const auto index = r.number<qint32>();
        if (Tab* t = r.ok() ? tab(id) : nullptr)
            (command == setTabIndexInWindow ? t->index : t->selected) = index;
        break;
    }
    case setSelectedTabInIndex: {
        const auto window = r.number<qint32>();
        const auto index = r.number<qint32>();
        if (r.ok())
            selectedTab[window] = index;
        break;
    }
    case updateTabNavigation: recordPage(r); break;
    case setWindowBounds: {
        const auto window = r.number<qint32>();
        const auto x = r.number<qint32>();
        const auto y = r.number<qint32>();
        const auto width = r.number<qint32>();
        const auto height = r.number<qint32>();
        if (r.ok() && width > 0 && height > 0)
            bounds[window] = Rect(x, y, width, height);
        break;
    }
    case setActiveWindow: {
        const auto window = r.number<qint32>();
        if (r.ok())
            active = window;
        break;
    }
    case tabClosed: closeTab(r); break;
    case windowClosed: closeWindow(r); break;
    default: break;
    }
}

void Replay::moveTab(Reader& r)
{
    const auto window = r.number<qint32>();
    const auto id = r.number<qint32>();
    Tab* t = r.ok() ? tab(id) : nullptr;
    if (!t)
        return;
    if (auto old = tabsOf.find(t->window); old != tabsOf.end())
        old->remove(id);
    t->window = window;
    tabsOf[window].insert(id);
    seeWindow(window);
}

void Replay::recordPage(Reader& r)
{
    r.number<quint32>(); // the pickle's own size
    const auto id = r.number<qint32>();
    const auto index = r.number<qint32>();
    const QString url = r.string8();
    const QString title = r.string16();
    Tab* t = r.ok() ? tab(id) : nullptr;
    if (!t)
        return;
    t->pages.insert(index, BrowserTab{title, url});
    // The pages farthest back are the first to go.
    if (t->pages.size() > kMaxPagesPerTab)
        t->pages.erase(t->pages.begin() == t->pages.find(t->selected) ? std::next(t->pages.begin()) : t->pages.begin());
}

void Replay::closeTab(Reader& r)
{
    const auto id = r.number<qint32>();
    const auto it = r.ok() ? tabs.find(id) : tabs.end();
    if (it == tabs.end())
        return;
    if (auto of = tabsOf.find(it->window); of != tabsOf.end())
        of->remove(id);
    tabs.erase(it);
}

void Replay::closeWindow(Reader& r)
{
    const auto window = r.number<qint32>();
    if (!r.ok())
        return;
    seenAt.remove(window);
    bounds.remove(window);
    for (qint32 id : tabsOf.take(window))
        tabs.remove(id);
}

QList<BrowserWindow> Replay::windows() const
{
    QList<std::pair<qint64, qint32>> order; // when seen, window
    for (auto it = seenAt.cbegin(); it != seenAt.cend(); ++it)
        order.append({it.value(), it.key()});
    std::sort(order.begin(), order.end());
    QList<BrowserWindow> out;
    for (const auto& [when, window] : order) {
        QList<std::pair<qint32, const Tab*>> inWindow; // id, tab
        for (qint32 id : tabsOf.value(window)) {
            const auto tab = tabs.constFind(id);
            if (tab != tabs.cend() && !tab->pages.isEmpty())
                inWindow.append({id, &*tab});
        }
        // Ties go by the tabs' ids, in the order they were opened.
        std::sort(inWindow.begin(), inWindow.end(), [](const auto& a, const auto& b) {
            return a.second->index != b.second->index ? a.second->index < b.second->index : a.first < b.first;
        });
        BrowserWindow read;
        const qint32 selected = selectedTab.value(window, 0);
        for (const auto& [id, tab] : inWindow) {
            const auto page = tab->pages.constFind(tab->selected);
            read.tabs.append(page != tab->pages.cend() ? *page : tab->pages.last());
            if (tab->index <= selected)
                read.front = int(read.tabs.size() - 1);
        }
        if (read.tabs.isEmpty())
            continue;
        if (const auto b = bounds.constFind(window); b != bounds.cend())
            read.bounds = *b;
        read.lastUsed = window == active ? 0 : -1;
        out.append(std::move(read));
    }
    return out;
}

// The current session file of a profile: the largest number.
QString currentSessionFile(const QDir& sessions)
{
    QString best;
    qulonglong bestNumber = 0;
    for (const QString& name : sessions.entryList({QStringLiteral("Session_*")}, QDir::Files)) {
        bool ok = false;
        const qulonglong number = name.mid(8).toULongLong(&ok);
        if (ok && (best.isEmpty() || number > bestNumber)) {
            best = sessions.filePath(name);
            bestNumber = number;
        }
    }
    return best;
}

std::optional<QList<BrowserWindow>> readFile(const QString& path)
{
    const auto bytes = RegularFile::read(path, kMaxFile);
    return bytes ? parse(*bytes) : std::nullopt;
}

} // namespace

std::optional<QList<BrowserWindow>> parse(const QByteArray& file)
{
    Reader header(file.constData(), file.size());
    if (!file.startsWith("SNSS"))
        return std::nullopt;
    header.number<quint32>();
    const auto version = header.number<qint32>();
    if (!header.ok() || (version != 1 && version != 3))
        return std::nullopt;
    Replay replay;
    qsizetype at = 8;
    while (at < file.size()) {
        Reader record(file.constData() + at, file.size() - at);
        const auto size = record.number<quint16>();
        // Records are appended while the browser runs: one cut short is
        // being written, and every whole one before it still holds.
        if (!record.ok() || size == 0 || size > record.left())
            break;
        const auto command = record.number<quint8>();
        replay.apply(command, Reader(file.constData() + at + 3, size - 1));
        at += 2 + size;
    }
    return replay.windows();
}

std::optional<QDateTime> writtenAt(const QString& profilesFolder)
{
    const QDir root(profilesFolder);
    if (!ProfileLock::held(root.filePath(QStringLiteral("SingletonLock"))))
        return std::nullopt;
    std::optional<QDateTime> newest;
    for (const QString& profile : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString file = currentSessionFile(QDir(root.filePath(profile) + QStringLiteral("/Sessions")));
        const QDateTime at = file.isEmpty() ? QDateTime() : QFileInfo(file).lastModified();
        if (at.isValid() && (!newest || at > *newest))
            newest = at;
    }
    return newest;
}

std::optional<QList<BrowserWindow>> read(const QString& profilesFolder)
{
    std::optional<QList<BrowserWindow>> out;
    const QDir root(profilesFolder);
    // A browser that does not run shows no window now.
    if (!ProfileLock::held(root.filePath(QStringLiteral("SingletonLock"))))
        return out;
    for (const QString& profile : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString file = currentSessionFile(QDir(root.filePath(profile) + QStringLiteral("/Sessions")));
        if (file.isEmpty())
            continue;
        if (const auto windows = readFile(file)) {
            if (!out)
                out.emplace();
            out->append(*windows);
        }
    }
    return out;
}

} // namespace tavrin::ChromiumSession
