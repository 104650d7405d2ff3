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
struct Pointer {
    Point at;
    std::uint16_t mask = 0;
};
} // namespace

// The taps' thread at work: its connection, and what it knows between events.
class X11InputTaps::Reader {
public:
    Reader(xcb_connection_t* conn, std::uint8_t opcode, Run& run)
        : conn_(conn),
          root_(xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root),
          opcode_(opcode),
          run_(run),
          clicks_(run.doubleClick)
    {}

    // Asks for the raw events and learns where the pointer is.
    void select();
    // Hands on events until told to stop or the connection breaks.
    void readUntilStopped();

private:
    // Where the pointer is and which modifiers are held, once the server has
    // applied the event just read.
    std::optional<Pointer> queryPointer();
    std::uint64_t flagsOf(std::uint16_t mask) const;
    void handle(const xcb_generic_event_t& event);
    // The event a raw event is, filled in but for its type; false for none.
    bool judge(std::uint16_t type, std::uint32_t detail, const Pointer& pointer, TapEvent& e);
    // A drag seen by where the pointer now is.
    void followPointer();
    void handOn(TapEvent e);

    xcb_connection_t* conn_;
    xcb_window_t root_;
    std::uint8_t opcode_;
    Run& run_;
    ClickCounter clicks_;
    bool leftDown_ = false;
    std::uint64_t flags_ = 0;
    Point last_;
    int clickCount_ = 1;
};

void X11InputTaps::Reader::select()
{
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
           XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE
               | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE
               | XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    xcb_input_xi_select_events(conn_, root_, 1, &mask.head);
    if (const auto p = queryPointer()) {
        last_ = p->at;
        leftDown_ = p->mask & XCB_BUTTON_MASK_1;
    }
}

std::optional<Pointer> X11InputTaps::Reader::queryPointer()
{
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(conn_, xcb_query_pointer(conn_, root_), nullptr);
    if (!reply)
        return std::nullopt;
    const Pointer p{Point{double(reply->root_x), double(reply->root_y)}, reply->mask};
    std::free(reply);
    return p;
}

std::uint64_t X11InputTaps::Reader::flagsOf(std::uint16_t m) const
{
    return ((m & XCB_MOD_MASK_SHIFT) ? modflag::shift : 0) | ((m & XCB_MOD_MASK_CONTROL) ? modflag::control : 0)
           | ((m & run_.keys.alt) ? modflag::option : 0) | ((m & run_.keys.super) ? modflag::command : 0);
}

void X11InputTaps::Reader::readUntilStopped()
{
    pollfd fds[2] = {{xcb_get_file_descriptor(conn_), POLLIN, 0}, {run_.wake[0], POLLIN, 0}};
    while (!run_.stopping.load() && !xcb_connection_has_error(conn_)) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(conn_)) {
            handle(*event);
            std::free(event);
        }
        xcb_flush(conn_);
        if (run_.stopping.load())
            break;
        // Not every device sends raw motion (synthetic input sends none):
        // while the button is down the pointer is also read every 2 ms.
        if (::poll(fds, 2, leftDown_ ? kDragPollMs : -1) == 0 && leftDown_)
            followPointer();
    }
}

void X11InputTaps::Reader::handle(const xcb_generic_event_t& event)
{
    const auto& ge = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    if ((event.response_type & 0x7f) != XCB_GE_GENERIC || ge.extension != opcode_)
        return;
    const std::uint32_t detail = reinterpret_cast<const xcb_input_raw_button_press_event_t&>(event).detail;
    const bool button = ge.event_type == XCB_INPUT_RAW_BUTTON_PRESS || ge.event_type == XCB_INPUT_RAW_BUTTON_RELEASE;
    if ((button && detail != 1) || (ge.event_type == XCB_INPUT_RAW_MOTION && !leftDown_))
        return; // not the left button; a move without it
    const auto p = queryPointer();
    TapEvent e;
    if (!p || !judge(ge.event_type, detail, *p, e))
        return;
    last_ = p->at;
    handOn(e);
}

bool X11InputTaps::Reader::judge(std::uint16_t type, std::uint32_t detail, const Pointer& p, TapEvent& e)
{
    e.location = p.at;
    e.flags = flagsOf(p.mask);
    switch (type) {
    case XCB_INPUT_RAW_BUTTON_PRESS:
        leftDown_ = true;
        e.type = TapEvent::Type::leftMouseDown;
        e.clickCount = clickCount_ = clicks_.press(p.at, double(monotonicNs()) / 1e9);
        return true;
    case XCB_INPUT_RAW_BUTTON_RELEASE:
        leftDown_ = false;
        e.type = TapEvent::Type::leftMouseUp;
        e.clickCount = clickCount_;
        return true;
    case XCB_INPUT_RAW_MOTION: e.type = TapEvent::Type::leftMouseDragged; return p.at != last_;
    case XCB_INPUT_RAW_KEY_PRESS:
    case XCB_INPUT_RAW_KEY_RELEASE:
        if (run_.keys.modifiers.contains(xcb_keycode_t(detail))) {
            e.type = TapEvent::Type::flagsChanged;
            const bool changed = e.flags != flags_;
            flags_ = e.flags;
            return changed;
        }
        e.type = TapEvent::Type::keyDown;
        e.keyCode = run_.keys.macCodes.value(xcb_keycode_t(detail), kNoMacKey);
        return type == XCB_INPUT_RAW_KEY_PRESS;
    default: return false;
    }
}

void X11InputTaps::Reader::followPointer()
{
    const auto p = queryPointer();
    if (!p || p->at == last_ || !(p->mask & XCB_BUTTON_MASK_1))
        return;
    last_ = p->at;
    TapEvent e;
    e.type = TapEvent::Type::leftMouseDragged;
    e.location = p->at;
    e.flags = flagsOf(p->mask);
    handOn(e);
}

void X11InputTaps::Reader::handOn(TapEvent e)
{
    e.timestamp = monotonicNs();
    if (!run_.filter(e))
        return;
    // To the main thread, in order; dropped once the taps stop.
    QMetaObject::invokeMethod(
        run_.owner,
        [owner = run_.owner, generation = run_.generation, e] {
            if (owner->running_ && owner->generation_ == generation)
                emit owner->event(e);
        },
        Qt::QueuedConnection);
}

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
    xcb_connection_t* conn = xcb_connect(run->display.isEmpty() ? nullptr : run->display.constData(), nullptr);
    const xcb_query_extension_reply_t* xi =
        xcb_connection_has_error(conn) ? nullptr : xcb_get_extension_data(conn, &xcb_input_id);
    bool raw = false;
    if (xi && xi->present) {
        // From 2.1 raw events come during grabs too (a drag, a held key).
        auto* v = xcb_input_xi_query_version_reply(conn, xcb_input_xi_query_version(conn, 2, 2), nullptr);
        raw = v && (v->major_version > 2 || (v->major_version == 2 && v->minor_version >= 1));
        std::free(v);
    }
    if (!raw) {
        run->settle(Run::State::failed, xcb_connection_has_error(conn)
                                            ? QStringLiteral("cannot connect to the X display")
                                            : QStringLiteral("the X server has no XInput 2.1"));
        xcb_disconnect(conn);
        return;
    }
    Reader reader(conn, xi->major_opcode, *run);
    reader.select();
    run->settle(Run::State::ready);
    reader.readUntilStopped();
    xcb_disconnect(conn);
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
