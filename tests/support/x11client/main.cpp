// A client window in a process of its own, for the tests and benchmarks of
// the X11 desktop, so that each window has its own pid and can be stopped
// like a hung program. Its options come as one JSON object in the first
// argument (X11TestClient::Options writes it). It prints "ready" and its
// window ids once its windows are mapped, and runs until they have closed or
// the X server has gone away.
//
// The plain client speaks X directly and can leave out _NET_WM_PID, refuse
// focus, limit its size or reserve a screen edge; the Qt client is an
// ordinary Qt window.
#include <QColor>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QRasterWindow>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

void setCardinals(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
                  const std::vector<std::uint32_t>& v)
{
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, 32, std::uint32_t(v.size()), v.data());
}

void setString(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type, const QByteArray& text)
{
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, 8, std::uint32_t(text.size()), text.constData());
}

// WM_NORMAL_HINTS: user position and size, then the limits asked for.
std::vector<std::uint32_t> sizeHints(const QJsonObject& o, int x, int y)
{
    std::vector<std::uint32_t> hints(18, 0);
    hints[0] = 1 | 2; // USPosition | USSize
    hints[1] = std::uint32_t(x);
    hints[2] = std::uint32_t(y);
    hints[3] = std::uint32_t(o["w"].toInt());
    hints[4] = std::uint32_t(o["h"].toInt());
    if (o["minWidth"].toInt() || o["minHeight"].toInt()) {
        hints[0] |= 16;
        hints[5] = std::uint32_t(o["minWidth"].toInt());
        hints[6] = std::uint32_t(o["minHeight"].toInt());
    }
    if (o["maxWidth"].toInt() || o["maxHeight"].toInt()) {
        hints[0] |= 32;
        hints[7] = std::uint32_t(o["maxWidth"].toInt());
        hints[8] = std::uint32_t(o["maxHeight"].toInt());
    }
    return hints;
}

using XcbTree = std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)>;

// The plain client's window number `i` (0 for the first), with its
// properties set and mapped; `later`: one opened on command, of the later class.
xcb_window_t createWindow(xcb_connection_t* c, const xcb_screen_t& screen, const QJsonObject& o, int i,
                          bool later = false)
{
    const xcb_window_t w = xcb_generate_id(c);
    const int x = o["x"].toInt() + 40 * i, y = o["y"].toInt() + 40 * i;
    // The first one inside another client's window, as a terminal told to embed itself makes it.
    const xcb_window_t parent = i == 0 && o["parent"].toInteger() ? xcb_window_t(o["parent"].toInteger()) : screen.root;
    const QColor background(later && !o["laterBackground"].toString().isEmpty() ? o["laterBackground"].toString()
                                                                                : o["background"].toString());
    const std::uint32_t pixel = background.isValid() ? (background.rgb() & 0xFFFFFF) : screen.white_pixel;
    // Value order follows the mask bits: background, border, override-redirect, events.
    const bool first = i == 0 && !later;
    const std::uint32_t values[] = {pixel, pixel, first && o["overrideRedirect"].toBool() ? 1u : 0u,
                                    XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, parent, std::int16_t(x), std::int16_t(y),
                      std::uint16_t(o["w"].toInt()), std::uint16_t(o["h"].toInt()),
                      std::uint16_t(first ? o["border"].toInt() : 0), XCB_WINDOW_CLASS_INPUT_OUTPUT, screen.root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);

    const QString text = i == 0 ? o["title"].toString() : o["title"].toString() + QStringLiteral(" %1").arg(i + 1);
    setString(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, text.toLatin1());
    if (!o["legacyTitleOnly"].toBool())
        setString(c, w, atom(c, "_NET_WM_NAME"), atom(c, "UTF8_STRING"), text.toUtf8());
    const QString laterClass = o["laterClass"].toString();
    if (!later || laterClass.isEmpty())
        setString(c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
                  o["instance"].toString().toLatin1() + '\0' + o["wmClass"].toString().toLatin1() + '\0');
    else if (laterClass != QStringLiteral("-"))
        setString(c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
                  laterClass.toLower().toLatin1() + '\0' + laterClass.toLatin1() + '\0');
    if (o["setPid"].toBool())
        setCardinals(c, w, atom(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL, {std::uint32_t(::getpid())});
    setCardinals(c, w, atom(c, "WM_PROTOCOLS"), XCB_ATOM_ATOM, {atom(c, "WM_DELETE_WINDOW")});
    setCardinals(c, w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, sizeHints(o, x, y));
    setCardinals(c, w, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS,
                 {1, o["acceptsFocus"].toBool() ? 1u : 0u, 0, 0, 0, 0, 0, 0, 0}); // InputHint

    const QString type = o["type"].toString();
    if (!type.isEmpty()) {
        const QByteArray name = "_NET_WM_WINDOW_TYPE_" + type.toUpper().toLatin1();
        setCardinals(c, w, atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, {atom(c, name.constData())});
    }
    std::vector<std::uint32_t> state;
    if (o["fullScreen"].toBool())
        state.push_back(atom(c, "_NET_WM_STATE_FULLSCREEN"));
    if (o["above"].toBool())
        state.push_back(atom(c, "_NET_WM_STATE_ABOVE"));
    if (!state.empty())
        setCardinals(c, w, atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, state);
    if (o["transient"].toBool())
        setCardinals(c, w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, {screen.root});
    std::vector<std::uint32_t> strut;
    for (const QJsonValue v : o["strut"].toArray())
        strut.push_back(std::uint32_t(v.toInteger()));
    if (!strut.empty())
        setCardinals(c, w, atom(c, "_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, strut);
    if (o["child"].toBool() && i == 0) {
        const xcb_window_t child = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, child, w, 10, 10, std::uint16_t(o["w"].toInt() - 20),
                          std::uint16_t(o["h"].toInt() - 20), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen.root_visual,
                          XCB_CW_BACK_PIXEL, &pixel);
        xcb_map_window(c, child);
    }
    if ((i > 0 && !later) || !o["mapDelay"].toInt())
        xcb_map_window(c, w);
    return w;
}

// Raises the first window's child above its siblings, 50 times 20 ms apart.
void raiseChild(xcb_connection_t* c, xcb_window_t parent)
{
    XcbTree tree(xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr), std::free);
    const int n = tree ? xcb_query_tree_children_length(tree.get()) : 0;
    const xcb_window_t* children = n ? xcb_query_tree_children(tree.get()) : nullptr;
    // The client's own child is the one it made first: the bottom one.
    for (int i = 0; i < 50 && n; ++i) {
        const std::uint32_t mode = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(c, children[0], XCB_CONFIG_WINDOW_STACK_MODE, &mode);
        xcb_flush(c);
        ::usleep(20000);
    }
}

std::uint32_t firstPixel(const xcb_screen_t& screen, const QJsonObject& o)
{
    const QColor background(o["background"].toString());
    return background.isValid() ? (background.rgb() & 0xFFFFFF) : screen.white_pixel;
}

// Fills the window and its children with its colour through a GC that
// includes inferiors, 50 times 20 ms apart, as a program that draws over its
// own subwindows (a video overlay, a screen-capture preview) does.
void drawOver(xcb_connection_t* c, xcb_window_t w, std::uint32_t pixel)
{
    const xcb_gcontext_t gc = xcb_generate_id(c);
    const std::uint32_t values[] = {pixel, XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS};
    xcb_create_gc(c, gc, w, XCB_GC_FOREGROUND | XCB_GC_SUBWINDOW_MODE, values);
    const xcb_rectangle_t all{0, 0, 65535, 65535};
    for (int i = 0; i < 50; ++i) {
        xcb_poly_fill_rectangle(c, w, gc, 1, &all);
        xcb_flush(c);
        ::usleep(20000);
    }
    xcb_free_gc(c, gc);
}

// The Composite extension's RedirectSubwindows (manual), sent as its client
// library would send it: the server keeps a picture of each child of `w`,
// as large as the child.
bool redirectSubwindows(xcb_connection_t* c, xcb_window_t w)
{
    static xcb_extension_t composite = {"Composite", 0};
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &composite);
    if (!ext || !ext->present)
        return false;
    struct {
        std::uint8_t major, minor;
        std::uint16_t length;
        std::uint32_t window;
        std::uint8_t update, pad[3];
    } request{0, 0, 0, w, 1 /* manual */, {}};
    iovec parts[4];
    parts[2] = {&request, sizeof request};
    parts[3] = {nullptr, 0};
    xcb_protocol_request_t info{1, &composite, 2 /* RedirectSubwindows */, 1};
    xcb_send_request(c, XCB_REQUEST_CHECKED, parts + 2, &info);
    // Done once a later request is answered.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return true;
}

// Asks the window manager to make `w` the active window, as an application
// does for a window of its own.
void activate(xcb_connection_t* c, const xcb_screen_t& screen, xcb_window_t w)
{
    xcb_client_message_event_t m{};
    m.response_type = XCB_CLIENT_MESSAGE;
    m.format = 32;
    m.window = w;
    m.type = atom(c, "_NET_ACTIVE_WINDOW");
    m.data.data32[0] = 1; // from an application
    m.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, screen.root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&m));
    xcb_flush(c);
}

void announce(const std::vector<unsigned long long>& windows)
{
    std::printf("ready");
    for (unsigned long long w : windows)
        std::printf(" %llu", w);
    std::printf("\n");
    std::fflush(stdout);
}

int runPlainClient(const QJsonObject& o)
{
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c))
        return 2;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < std::max(screenNumber, o["screen"].toInt()) && it.rem > 1; ++i)
        xcb_screen_next(&it);
    const xcb_atom_t protocols = atom(c, "WM_PROTOCOLS"), deleteWindow = atom(c, "WM_DELETE_WINDOW");
    std::vector<unsigned long long> windows;
    for (int i = 0; i < std::max(1, o["windows"].toInt(1)); ++i)
        windows.push_back(createWindow(c, *it.data, o, i));
    xcb_flush(c);
    if (const int delay = o["mapDelay"].toInt()) {
        // Set up first, then shown, as a terminal maps its window once its fonts are loaded.
        ::usleep(useconds_t(delay) * 1000);
        xcb_map_window(c, xcb_window_t(windows.front()));
        xcb_flush(c);
    }

    std::size_t mapped = 0;
    bool announced = false;
    std::size_t open = windows.size();
    bool commands = true; // until the test's end of stdin
    while (!xcb_connection_has_error(c)) {
        pollfd p[2] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {0, POLLIN, 0}};
        ::poll(p, commands ? 2 : 1, -1);
        if (commands && p[1].revents) {
            char line[64];
            commands = std::fgets(line, sizeof line, stdin) != nullptr;
            if (commands && std::strcmp(line, "raise\n") == 0)
                raiseChild(c, xcb_window_t(windows.front()));
            if (commands && std::strcmp(line, "draw\n") == 0)
                drawOver(c, xcb_window_t(windows.front()), firstPixel(*it.data, o));
            if (commands && std::strcmp(line, "redirect\n") == 0
                && redirectSubwindows(c, xcb_window_t(windows.front()))) {
                std::printf("redirected\n");
                std::fflush(stdout);
            }
            if (commands && std::strcmp(line, "open\n") == 0) {
                windows.push_back(createWindow(c, *it.data, o, int(windows.size()), true));
                ++open;
                xcb_flush(c);
                if (const int delay = o["mapDelay"].toInt()) {
                    ::usleep(useconds_t(delay) * 1000);
                    xcb_map_window(c, xcb_window_t(windows.back()));
                    xcb_flush(c);
                }
                std::printf("opened %llu\n", windows.back());
                std::fflush(stdout);
            }
        }
        while (xcb_generic_event_t* ev = xcb_poll_for_event(c)) {
            const int t = ev->response_type & 0x7f;
            if (t == XCB_MAP_NOTIFY && mapped < windows.size() && ++mapped == windows.size() && !announced) {
                announced = true;
                if (o["takesFocus"].toBool())
                    activate(c, *it.data, xcb_window_t(windows.front()));
                announce(windows);
            } else if (t == XCB_CLIENT_MESSAGE) {
                const auto* m = reinterpret_cast<xcb_client_message_event_t*>(ev);
                if (m->type == protocols && m->data.data32[0] == deleteWindow && o["closes"].toBool()) {
                    xcb_destroy_window(c, m->window);
                    xcb_flush(c);
                    if (--open == 0 && !o["lingers"].toBool()) {
                        std::free(ev);
                        xcb_disconnect(c);
                        return 0;
                    }
                }
            }
            std::free(ev);
        }
    }
    return 0; // the server went away
}

// A Qt window filled with one colour.
class Filled : public QRasterWindow {
public:
    explicit Filled(const QColor& colour) : colour_(colour) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(QRect(QPoint(), size()), colour_.isValid() ? colour_ : QColor(Qt::white));
    }

private:
    QColor colour_;
};

int runQtClient(int argc, char** argv, const QJsonObject& o)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    const QColor colour(o["background"].toString());
    Filled window(colour);
    Filled popup(colour);
    popup.setFlags(Qt::Popup);
    // Commands on standard input, one a line.
    QSocketNotifier commands(0, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, [&] {
        char line[64] = {};
        if (!std::fgets(line, sizeof line, stdin)) {
            commands.setEnabled(false);
            return;
        }
        const QByteArray command = QByteArray(line).trimmed();
        if (command == "hide")
            window.hide();
        else if (command == "show")
            window.show();
        else if (command == "popup")
            popup.setGeometry(window.x() + 40, window.y() + 40, 260, 320), popup.show();
        else if (command == "close")
            popup.hide();
    });
    window.setTitle(o["title"].toString());
    if (o["minWidth"].toInt() || o["minHeight"].toInt())
        window.setMinimumSize({o["minWidth"].toInt(), o["minHeight"].toInt()});
    window.setGeometry(o["x"].toInt(), o["y"].toInt(), o["w"].toInt(), o["h"].toInt());
    window.show();
    while (!window.isExposed())
        app.processEvents(QEventLoop::WaitForMoreEvents);
    announce({static_cast<unsigned long long>(window.winId())});
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QJsonParseError error;
    const QJsonDocument options = QJsonDocument::fromJson(argc > 1 ? QByteArray(argv[1]) : QByteArray(), &error);
    if (!options.isObject()) {
        std::fprintf(stderr, "usage: %s '<options as a JSON object>' (%s)\n", argv[0], qPrintable(error.errorString()));
        return 64;
    }
    const QJsonObject o = options.object();
    return o["qt"].toBool() ? runQtClient(argc, argv, o) : runPlainClient(o);
}
