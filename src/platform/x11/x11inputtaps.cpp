#include "platform/x11/x11inputtaps.h"

#include "platform/eventmonitors.h"
#include "platform/x11/mackeys.h"
#include "platform/x11/x11keyboard.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <condition_variable>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>
#include <xcb/xinput.h>

namespace tavrin {

namespace {
std::uint64_t monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return std::uint64_t(t.tv_sec) * 1'000'000'000ull + std::uint64_t(t.tv_nsec);
}

// A key with no place on the Mac layout: matches no shortcut.
constexpr std::uint32_t kNoMacKey = 0xFFFF;
// How often the pointer is read while the left button is down.
constexpr int kDragPollMs = 2;
} // namespace

// One run of the taps' thread: what it was given and how it is doing.
struct X11InputTaps::Run {
    Filter filter;
    Keys keys;
    double doubleClick = 0.5;
    QByteArray display;
    X11InputTaps* owner = nullptr;
    std::uint64_t generation = 0;
    int wake[2] = {-1, -1};
    std::atomic<bool> stopping{false};

    std::mutex mutex;
    std::condition_variable changed;
    enum class State { starting, ready, failed } state = State::starting;
    QString problem;

    ~Run()
    {
        for (int fd : wake)
            if (fd >= 0)
                ::close(fd);
    }
    void settle(State s, const QString& why = {})
    {
        std::lock_guard lock(mutex);
        state = s;
        problem = why;
        changed.notify_all();
    }
};

namespace {
// What the thread knows between events.
struct Reader {
    xcb_connection_t* conn = nullptr;
    xcb_window_t root = 0;
    std::uint8_t opcode = 0;
    bool leftDown = false;
    std::uint64_t flags = 0;
    Point last;
    int clicks = 1;
};

struct Pointer {
    Point at;
    std::uint16_t mask = 0;
};

// Where the pointer is and which modifiers are held, once the server has
// applied the event just read.
std::optional<Pointer> queryPointer(Reader& r)
{
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(r.conn, xcb_query_pointer(r.conn, r.root), nullptr);
    if (!reply)
        return std::nullopt;
    const Pointer p{Point{double(reply->root_x), double(reply->root_y)}, reply->mask};
    std::free(reply);
    return p;
}
} // namespace

X11InputTaps::X11InputTaps(QString display, X11Keyboard& keyboard, QObject* parent)
    : InputTaps(parent),
      display_(std::move(display)),
      keyboard_(keyboard)
{}

X11InputTaps::~X11InputTaps()
{
    stop();
    join();
}

std::uint64_t X11InputTaps::now() const { return monotonicNs(); }

X11InputTaps::Keys X11InputTaps::readKeys() const
{
    Keys keys;
    for (std::uint32_t mac = 0; mac < 128; ++mac)
        if (const std::uint32_t sym = keysymForMacKeyCode(mac))
            if (const xcb_keycode_t code = keyboard_.keycodeFor(sym))
                keys.macCodes.insert(code, mac);
    for (int code = 8; code < 256; ++code)
        if (keyboard_.isModifierKey(xcb_keycode_t(code)))
            keys.modifiers.insert(xcb_keycode_t(code));
    keys.alt = keyboard_.altMask();
    keys.super = keyboard_.superMask();
    return keys;
}

void X11InputTaps::join()
{
    if (thread_ && thread_->joinable())
        thread_->join();
    thread_.reset();
}

void X11InputTaps::runTaps(std::shared_ptr<Run> run)
{
    pthread_setname_np(pthread_self(), "share-safe tap");
    Reader r;
    r.conn = xcb_connect(run->display.isEmpty() ? nullptr : run->display.constData(), nullptr);
    const xcb_query_extension_reply_t* xi =
        xcb_connection_has_error(r.conn) ? nullptr : xcb_get_extension_data(r.conn, &xcb_input_id);
    bool raw = false;
    if (xi && xi->present) {
        // From 2.1 raw events come during grabs too (a drag, a held key).
        auto* v = xcb_input_xi_query_version_reply(r.conn, xcb_input_xi_query_version(r.conn, 2, 2), nullptr);
        raw = v && (v->major_version > 2 || (v->major_version == 2 && v->minor_version >= 1));
        std::free(v);
    }
    if (!raw) {
        run->settle(Run::State::failed, xcb_connection_has_error(r.conn)
                                            ? QStringLiteral("cannot connect to the X display")
                                            : QStringLiteral("the X server has no XInput 2.1"));
        xcb_disconnect(r.conn);
        return;
    }
    r.opcode = xi->major_opcode;
    r.root = xcb_setup_roots_iterator(xcb_get_setup(r.conn)).data->root;
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
           XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE
               | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE
               | XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    xcb_input_xi_select_events(r.conn, r.root, 1, &mask.head);
    if (const auto p = queryPointer(r)) {
        r.last = p->at;
        r.leftDown = p->mask & XCB_BUTTON_MASK_1;
    }
    run->settle(Run::State::ready);

    ClickCounter counter(run->doubleClick);
    const auto flagsOf = [&](std::uint16_t m) {
        return ((m & XCB_MOD_MASK_SHIFT) ? modflag::shift : 0) | ((m & XCB_MOD_MASK_CONTROL) ? modflag::control : 0)
               | ((m & run->keys.alt) ? modflag::option : 0) | ((m & run->keys.super) ? modflag::command : 0);
    };
    const auto handOn = [&](TapEvent e) {
        e.timestamp = monotonicNs();
        if (!run->filter(e))
            return;
        // To the main thread, in order; dropped once the taps stop.
        QMetaObject::invokeMethod(
            run->owner,
            [owner = run->owner, generation = run->generation, e] {
                if (owner->running_ && owner->generation_ == generation)
                    emit owner->event(e);
            },
            Qt::QueuedConnection);
    };
    // A drag seen by where the pointer now is.
    const auto followPointer = [&] {
        const auto p = queryPointer(r);
        if (!p || p->at == r.last || !(p->mask & XCB_BUTTON_MASK_1))
            return;
        r.last = p->at;
        TapEvent e;
        e.type = TapEvent::Type::leftMouseDragged;
        e.location = p->at;
        e.flags = flagsOf(p->mask);
        handOn(e);
    };
    const auto handle = [&](const xcb_generic_event_t& ev) {
        const auto& ge = reinterpret_cast<const xcb_ge_generic_event_t&>(ev);
        if ((ev.response_type & 0x7f) != XCB_GE_GENERIC || ge.extension != r.opcode)
            return;
        const auto& rawEvent = reinterpret_cast<const xcb_input_raw_button_press_event_t&>(ev);
        const std::uint32_t detail = rawEvent.detail;
        const bool button =
            ge.event_type == XCB_INPUT_RAW_BUTTON_PRESS || ge.event_type == XCB_INPUT_RAW_BUTTON_RELEASE;
        if ((button && detail != 1) || (ge.event_type == XCB_INPUT_RAW_MOTION && !r.leftDown))
            return; // not the left button; a move without it
        const auto p = queryPointer(r);
        if (!p)
            return;
        TapEvent e;
        e.location = p->at;
        e.flags = flagsOf(p->mask);
        switch (ge.event_type) {
        case XCB_INPUT_RAW_BUTTON_PRESS:
            r.leftDown = true;
            e.type = TapEvent::Type::leftMouseDown;
            e.clickCount = r.clicks = counter.press(p->at, double(monotonicNs()) / 1e9);
            break;
        case XCB_INPUT_RAW_BUTTON_RELEASE:
            r.leftDown = false;
            e.type = TapEvent::Type::leftMouseUp;
            e.clickCount = r.clicks;
            break;
        case XCB_INPUT_RAW_MOTION:
            if (p->at == r.last)
                return;
            e.type = TapEvent::Type::leftMouseDragged;
            break;
        case XCB_INPUT_RAW_KEY_PRESS:
        case XCB_INPUT_RAW_KEY_RELEASE:
            if (run->keys.modifiers.contains(xcb_keycode_t(detail))) {
                if (e.flags == r.flags)
                    return;
                r.flags = e.flags;
                e.type = TapEvent::Type::flagsChanged;
            } else if (ge.event_type == XCB_INPUT_RAW_KEY_PRESS) {
                e.type = TapEvent::Type::keyDown;
                e.keyCode = run->keys.macCodes.value(xcb_keycode_t(detail), kNoMacKey);
            } else {
                return;
            }
            break;
        default: return;
        }
        r.last = p->at;
        handOn(e);
    };

    pollfd fds[2] = {{xcb_get_file_descriptor(r.conn), POLLIN, 0}, {run->wake[0], POLLIN, 0}};
    while (!run->stopping.load() && !xcb_connection_has_error(r.conn)) {
        while (xcb_generic_event_t* ev = xcb_poll_for_event(r.conn)) {
            handle(*ev);
            std::free(ev);
        }
        xcb_flush(r.conn);
        if (run->stopping.load())
            break;
        // Not every device sends raw motion (synthetic input sends none):
        // while the button is down the pointer is also read every 2 ms.
        if (::poll(fds, 2, r.leftDown ? kDragPollMs : -1) == 0 && r.leftDown)
            followPointer();
    }
    xcb_disconnect(r.conn);
}

bool X11InputTaps::start(Filter filter, double timeout, QString* problem)
{
    if (running_)
        return true;
    join(); // a run that gave up earlier
    auto run = std::make_shared<Run>();
    run->filter = std::move(filter);
    run->keys = readKeys();
    if (qGuiApp)
        run->doubleClick = qGuiApp->styleHints()->mouseDoubleClickInterval() / 1000.0;
    run->display = display_.toLocal8Bit();
    run->owner = this;
    run->generation = ++generation_;
    if (::pipe2(run->wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (problem)
            *problem = QStringLiteral("no pipe to wake the taps' thread");
        return false;
    }
    run_ = run;
    thread_ = std::make_unique<std::thread>(&X11InputTaps::runTaps, run);

    std::unique_lock lock(run->mutex);
    const bool settled = run->changed.wait_for(lock, std::chrono::duration<double>(timeout),
                                               [&] { return run->state != Run::State::starting; });
    if (settled && run->state == Run::State::ready) {
        running_ = true;
        return true;
    }
    if (problem)
        *problem = settled ? run->problem : QStringLiteral("the taps' thread did not start within %1 s").arg(timeout);
    lock.unlock();
    stop();
    return false;
}

void X11InputTaps::stop()
{
    running_ = false;
    ++generation_;
    if (!run_)
        return;
    run_->stopping = true;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(run_->wake[1], &byte, 1);
    // A thread that is still connecting is joined by the next start, or at the end.
    std::unique_lock lock(run_->mutex);
    const bool started = run_->state != Run::State::starting;
    lock.unlock();
    if (started)
        join();
    run_.reset();
}

} // namespace tavrin
