#include "platform/x11/x11connection.h"

#include "platform/clock.h"
#include "platform/x11/compoundtext.h"

#include <QAbstractEventDispatcher>
#include <QMetaObject>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/socket.h>
#include <xcb/randr.h>
#include <xcb/res.h>
#include <xcb/xcbext.h>
#include <xcb/xinput.h>

namespace tavrin {

// I/O deadlines are real time by nature: they bound how long the main thread
// waits on the server's socket, whatever clock the rest of the system runs on.
double X11Connection::steadyNow()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::unique_ptr<X11Connection> X11Connection::open(const QString& display, QString* error, Events events)
{
    std::unique_ptr<X11Connection> c(new X11Connection);
    if (!c->init(display, error, events))
        return nullptr;
    return c;
}

bool X11Connection::init(const QString& display, QString* error, Events events)
{
    events_ = events;
    if (!connectToDisplay(display, error) || !internAtoms(error))
        return false;
    if (const auto* randr = xcb_get_extension_data(conn_, &xcb_randr_id); randr && randr->present)
        randrEventBase_ = randr->first_event;
    if (const auto* xi = xcb_get_extension_data(conn_, &xcb_input_id); xi && xi->present)
        xinputOpcode_ = xi->major_opcode;

    if (events_ == Events::dispatched) {
        notifier_ = new QSocketNotifier(xcb_get_file_descriptor(conn_), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &X11Connection::dispatch);
        if (auto* dispatcher = QAbstractEventDispatcher::instance(thread()))
            connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &X11Connection::drainBeforeSleep);
    }
    return true;
}

bool X11Connection::connectToDisplay(const QString& display, QString* error)
{
    const QByteArray name = display.toLocal8Bit();
    conn_ = xcb_connect(name.isEmpty() ? nullptr : name.constData(), &screenNumber_);
    const QString shown = name.isEmpty() ? qEnvironmentVariable("DISPLAY") : display;
    displayName_ = shown;
    if (xcb_connection_has_error(conn_)) {
        if (error)
            *error = shown.isEmpty() ? QStringLiteral("No X display: DISPLAY is not set.")
                                     : QStringLiteral("Cannot open the X display \"%1\".").arg(shown);
        return false;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn_));
    for (int i = 0; it.rem; ++i, xcb_screen_next(&it)) {
        if (i == screenNumber_) {
            screen_ = it.data;
            break;
        }
    }
    if (!screen_) {
        if (error)
            *error = QStringLiteral("The X display \"%1\" has no screen %2.").arg(shown).arg(screenNumber_);
        return false;
    }
    return true;
}

bool X11Connection::internAtoms(QString* error)
{
    xcb_intern_atom_cookie_t* ewmhCookies = xcb_ewmh_init_atoms(conn_, &ewmh_);
    const X11Atoms::Request atoms = X11Atoms::request(conn_);
    xcb_prefetch_extension_data(conn_, &xcb_randr_id);
    xcb_prefetch_extension_data(conn_, &xcb_input_id);
    if (!sync(5.0)) {
        std::free(ewmhCookies); // the replies go with the connection
        if (error)
            *error = QStringLiteral("The X display \"%1\" does not answer.").arg(displayName_);
        return false;
    }
    ewmhReady_ = xcb_ewmh_init_atoms_replies(&ewmh_, ewmhCookies, nullptr);
    atoms_ = X11Atoms::take(conn_, atoms);
    if (!ewmhReady_) {
        if (error)
            *error = QStringLiteral("The X display \"%1\" did not answer the window-manager atoms.").arg(displayName_);
        return false;
    }
    return true;
}

X11Connection::~X11Connection()
{
    if (ewmhReady_)
        xcb_ewmh_connection_wipe(&ewmh_);
    pending_.clear();
    earlySeen_ = 0;
    waitOffered_ = 0;
    if (conn_)
        xcb_disconnect(conn_);
}

bool X11Connection::isAlive() const { return conn_ && !xcb_connection_has_error(conn_); }

void X11Connection::flush()
{
    if (conn_)
        xcb_flush(conn_);
}

bool X11Connection::waitReadable(double seconds)
{
    pollfd p[2] = {{xcb_get_file_descriptor(conn_), POLLIN, 0}, {cutShortOn_, POLLIN, 0}};
    const int ms = std::max(0, int(std::ceil(seconds * 1000.0)));
    ::poll(p, cutShortOn_ >= 0 ? 2 : 1, ms);
    return !(p[1].revents & POLLIN);
}

bool X11Connection::waitsCutShort() const
{
    pollfd p{cutShortOn_, POLLIN, 0};
    return othersIgnored_ || (cutShortOn_ >= 0 && ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN));
}

bool X11Connection::sync(double timeout)
{
    if (!isAlive()) {
        scheduleDispatch();
        return false;
    }
    const auto cookie = xcb_get_input_focus(conn_);
    xcb_flush(conn_);
    const double deadline = steadyNow() + timeout;
    for (;;) {
        void* reply = nullptr;
        xcb_generic_error_t* err = nullptr;
        const bool answered = xcb_poll_for_reply(conn_, cookie.sequence, &reply, &err);
        if (!earlyHandlers_.empty()) {
            // (Without early handlers the events stay in xcb's queue until the main loop reads them.)
            takeQueuedEvents();
            runEarly();
        }
        if (answered) {
            std::free(reply);
            std::free(err);
            scheduleDispatch();
            return true;
        }
        const double left = deadline - steadyNow();
        if (!isAlive() || left <= 0 || !waitReadable(left)) {
            if (isAlive())
                xcb_discard_reply(conn_, cookie.sequence);
            scheduleDispatch();
            return false;
        }
    }
}

bool X11Connection::waitForEvent(const std::function<bool(const xcb_generic_event_t&)>& match, double timeout)
{
    xcb_flush(conn_);
    const double deadline = steadyNow() + timeout;
    for (;;) {
        bool matched = false;
        // Events a round trip or the early handlers took off xcb's queue are
        // no longer there to poll: they are offered first, each once.
        while (!matched && waitOffered_ < pending_.size())
            matched = match(*pending_[waitOffered_++]);
        while (xcb_generic_event_t* e = !matched && isAlive() ? xcb_poll_for_event(conn_) : nullptr) {
            pending_.emplace_back(e);
            matched = match(*pending_[waitOffered_++]);
        }
        runEarly();
        if (matched) {
            scheduleDispatch();
            return true;
        }
        if (waitOffered_ < pending_.size())
            continue; // the early handlers' own round trips brought more
        const double left = deadline - steadyNow();
        if (!isAlive() || left <= 0 || othersIgnored_ || !waitReadable(left)) {
            scheduleDispatch();
            return false;
        }
    }
}

void X11Connection::addEventHandler(QObject* owner, EventHandler handler)
{
    handlers_.push_back({owner, std::move(handler)});
}

void X11Connection::addEarlyHandler(QObject* owner, EventHandler handler)
{
    earlyHandlers_.push_back({owner, std::move(handler)});
}

void X11Connection::serviceEarly()
{
    if (events_ == Events::dropped || earlyHandlers_.empty())
        return;
    readEvents();
    if (earlySeen_ < pending_.size()) {
        runEarly();
        scheduleDispatch();
    }
}

void X11Connection::drainBeforeSleep()
{
    if (dispatching_ || earlyRunning_ || !isAlive())
        return;
    takeQueuedEvents();
    if (pending_.empty())
        return;
    // Moves read while a batch holds them back wait for the batch.
    const bool onlyMoves = std::all_of(pending_.begin(), pending_.end(),
                                       [](const auto& e) { return (e->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY; });
    if (batchTimer_ && onlyMoves)
        return;
    scheduleDispatch();
}

bool X11Connection::pollReply(unsigned int sequence, void** reply)
{
    *reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    const bool here = isAlive() && xcb_poll_for_reply(conn_, sequence, reply, &error);
    std::free(error);
    takeQueuedEvents();
    if (!pending_.empty())
        scheduleDispatch();
    return here;
}

void X11Connection::takeQueuedEvents()
{
    if (events_ == Events::dropped)
        return; // nothing hands them out
    while (xcb_generic_event_t* e = isAlive() ? xcb_poll_for_queued_event(conn_) : nullptr)
        pending_.emplace_back(e);
}

void X11Connection::runEarly()
{
    if (earlyRunning_ || events_ == Events::dropped)
        return;
    if (earlyHandlers_.empty()) {
        earlySeen_ = pending_.size();
        return;
    }
    earlyRunning_ = true;
    // A handler's own round trips add to the back; nothing leaves the front meanwhile.
    while (earlySeen_ < pending_.size()) {
        const xcb_generic_event_t* event = pending_[earlySeen_++].get();
        for (std::size_t i = 0; i < earlyHandlers_.size(); ++i) {
            if (!earlyHandlers_[i].owner)
                continue;
            auto fn = earlyHandlers_[i].fn;
            fn(*event);
        }
    }
    std::erase_if(earlyHandlers_, [](const Handler& h) { return !h.owner; });
    earlyRunning_ = false;
}

void X11Connection::selectInput(xcb_window_t window, std::uint32_t mask)
{
    std::uint32_t& selected = masks_[window];
    if ((selected | mask) == selected)
        return;
    selected |= mask;
    xcb_change_window_attributes(conn_, window, XCB_CW_EVENT_MASK, &selected);
}

void X11Connection::scheduleDispatch()
{
    if (events_ == Events::dropped) {
        // Nothing reads them on a loop: they would pile up.
        while (xcb_generic_event_t* e = isAlive() ? xcb_poll_for_event(conn_) : nullptr)
            std::free(e);
        return;
    }
    if (dispatchScheduled_)
        return;
    dispatchScheduled_ = true;
    QMetaObject::invokeMethod(this, &X11Connection::dispatch, Qt::QueuedConnection);
}

void X11Connection::readEvents()
{
    while (xcb_generic_event_t* e = isAlive() ? xcb_poll_for_event(conn_) : nullptr)
        pending_.emplace_back(e);
}

void X11Connection::dispatchPending()
{
    if (!dispatching_ && events_ == Events::dispatched)
        dispatch();
}

void X11Connection::dispatch()
{
    dispatchScheduled_ = false;
    if (dispatching_)
        return; // the dispatch under way holds moves back or stops at its end
    // The socket stays unwatched until this dispatch has seen whether only
    // moves came again: batch after batch, a drag never watches it.
    cancelBatchTimer();
    dispatching_ = true;
    int handled = 0;
    bool onlyMoves = true;
    // The socket is read once, not once for each event: what handlers' round
    // trips read meanwhile is queued in xcb already, and what comes later
    // wakes the loop again.
    readEvents();
    for (;;) {
        takeQueuedEvents();
        runEarly();
        if (pending_.empty())
            break;
        auto event = std::move(pending_.front());
        pending_.pop_front();
        if (earlySeen_ > 0)
            --earlySeen_;
        if (waitOffered_ > 0)
            --waitOffered_;
        ++handled;
        onlyMoves &= (event->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY;
        if ((event->response_type & 0x7f) == XCB_DESTROY_NOTIFY)
            masks_.remove(reinterpret_cast<const xcb_destroy_notify_event_t*>(event.get())->window);
        for (std::size_t i = 0; i < handlers_.size(); ++i) {
            if (!handlers_[i].owner)
                continue;
            auto fn = handlers_[i].fn;
            fn(*event);
        }
    }
    std::erase_if(handlers_, [](const Handler& h) { return !h.owner; });
    dispatching_ = false;
    if (!isAlive() && !lostReported_) {
        lostReported_ = true;
        notifier_->setEnabled(false);
        emit lost();
        return;
    }
    holdMoves(handled, onlyMoves);
}

void X11Connection::batchMovesOn(Clock* clock)
{
    endHold();
    batchClock_ = clock;
}

void X11Connection::holdMoves(int handled, bool onlyMoves)
{
    if (!notifier_ || !batchClock_ || !batchWatched_ || handled == 0 || !onlyMoves || !isAlive()) {
        endHold();
        return;
    }
    holding_ = true;
    heldAtRead_ = xcb_total_read(conn_);
    if (notifier_->isEnabled())
        notifier_->setEnabled(false);
    watchHold(true);
    // What came after the last read and before the watching thread could
    // know of the batch is looked at here.
    if (!onlyMovesUnread()) {
        endHold();
        return;
    }
    batchTimer_ = batchClock_->singleShot(kMoveBatch, this, [this] {
        batchTimer_ = 0;
        dispatch();
    });
}

void X11Connection::cancelBatchTimer()
{
    if (batchTimer_) {
        batchClock_->cancel(batchTimer_);
        batchTimer_ = 0;
    }
}

void X11Connection::setHoldWatcher(std::function<void(bool)> watcher)
{
    holdWatcher_ = std::move(watcher);
    holdWatched_ = false;
}

void X11Connection::watchHold(bool holding)
{
    if (holdWatched_ == holding || !holdWatcher_)
        return;
    holdWatched_ = holding;
    holdWatcher_(holding);
}

void X11Connection::endHold()
{
    cancelBatchTimer();
    holding_ = false;
    watchHold(false);
    if (notifier_ && !lostReported_ && !notifier_->isEnabled())
        notifier_->setEnabled(true);
}

void X11Connection::endBatchIfUrgent()
{
    if (!holding_ || onlyMovesUnread())
        return;
    if (holding_.exchange(false))
        QMetaObject::invokeMethod(this, &X11Connection::dispatch, Qt::QueuedConnection);
}

bool X11Connection::onlyMovesUnread() const
{
    // Looked at, not taken: xcb reads them on the main thread as ever. The
    // socket's bytes start at a packet only while xcb's last read ended at
    // one: a read since the hold began (a reply waited for) may have left
    // part of a packet in xcb's buffer.
    if (xcb_total_read(conn_) != heldAtRead_)
        return false;
    // Events and errors are 32 bytes, a reply or an extension's generic event
    // 32 or more: none of those is a move, as its first byte says, and what
    // is not a whole number of 32-byte packets was cut inside one.
    std::array<std::uint8_t, 4096> bytes;
    const ssize_t n = ::recv(xcb_get_file_descriptor(conn_), bytes.data(), bytes.size(), MSG_PEEK | MSG_DONTWAIT);
    if (n < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK;
    if (n == 0 || n == ssize_t(bytes.size()) || n % 32 != 0)
        return false; // the server went, more came than a batch of moves, or part of a packet
    for (ssize_t at = 0; at < n; at += 32)
        if ((bytes[std::size_t(at)] & 0x7f) != XCB_CONFIGURE_NOTIFY)
            return false;
    return true;
}

xcb_get_property_cookie_t X11Connection::requestProperty(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                                                         std::uint32_t longs)
{
    return xcb_get_property(conn_, 0, window, property, type, 0, longs);
}

XcbReply<xcb_get_property_reply_t> X11Connection::takeProperty(xcb_get_property_cookie_t cookie)
{
    XcbReply<xcb_get_property_reply_t> r(xcb_get_property_reply(conn_, cookie, nullptr));
    if (r && r->type == XCB_ATOM_NONE)
        return nullptr;
    return r;
}

std::vector<std::uint32_t> X11Connection::cardinals(const xcb_get_property_reply_t* reply)
{
    if (!reply || reply->format != 32)
        return {};
    const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    return {v, v + xcb_get_property_value_length(reply) / 4};
}

QString X11Connection::text(const xcb_get_property_reply_t* reply) const
{
    if (!reply || reply->format != 8)
        return {};
    const auto* v = static_cast<const char*>(xcb_get_property_value(reply));
    int n = xcb_get_property_value_length(reply);
    while (n > 0 && v[n - 1] == '\0')
        --n;
    if (reply->type == atoms_.compoundText)
        return CompoundText::decode(QByteArrayView(v, n));
    return reply->type == atoms_.utf8String ? QString::fromUtf8(v, n) : QString::fromLatin1(v, n);
}

QStringList X11Connection::strings(const xcb_get_property_reply_t* reply)
{
    if (!reply || reply->format != 8)
        return {};
    const auto* v = static_cast<const char*>(xcb_get_property_value(reply));
    const int n = xcb_get_property_value_length(reply);
    QStringList out;
    int start = 0;
    for (int i = 0; i <= n; ++i) {
        if (i == n || v[i] == '\0') {
            if (i > start || i < n)
                out << QString::fromLatin1(v + start, i - start);
            start = i + 1;
        }
    }
    return out;
}

std::vector<int> X11Connection::clientPids(const std::vector<xcb_window_t>& windows, double timeout)
{
    std::vector<int> pids(windows.size(), 0);
    if (windows.empty())
        return pids;
    std::vector<xcb_res_query_client_ids_cookie_t> asked;
    for (xcb_window_t w : windows) {
        xcb_res_client_id_spec_t spec{w, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
        asked.push_back(xcb_res_query_client_ids(conn_, 1, &spec));
    }
    if (!sync(timeout)) {
        for (const auto& cookie : asked)
            xcb_discard_reply(conn_, cookie.sequence);
        return pids;
    }
    for (std::size_t i = 0; i < asked.size(); ++i) {
        XcbReply<xcb_res_query_client_ids_reply_t> r(xcb_res_query_client_ids_reply(conn_, asked[i], nullptr));
        pids[i] = clientPid(r.get());
    }
    return pids;
}

int X11Connection::clientPid(const xcb_res_query_client_ids_reply_t* reply)
{
    if (!reply)
        return 0;
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply); it.rem; xcb_res_client_id_value_next(&it))
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID)
            && xcb_res_client_id_value_value_length(it.data) >= 1)
            return int(*xcb_res_client_id_value_value(it.data));
    return 0;
}

void X11Connection::sendRootMessage(xcb_window_t window, xcb_atom_t type, std::uint32_t d0, std::uint32_t d1,
                                    std::uint32_t d2, std::uint32_t d3, std::uint32_t d4)
{
    sendRootMessage(conn_, root(), window, type, {d0, d1, d2, d3, d4});
}

void X11Connection::sendManagerMessage(xcb_window_t window, xcb_atom_t type, const std::array<std::uint32_t, 5>& data)
{
    sendRootMessage(conn_, root(), window, type, data, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT);
}

void X11Connection::sendRootMessage(xcb_connection_t* c, xcb_window_t root, xcb_window_t window, xcb_atom_t type,
                                    const std::array<std::uint32_t, 5>& data, std::uint32_t mask)
{
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = window;
    ev.type = type;
    std::copy(data.begin(), data.end(), ev.data.data32);
    xcb_send_event(c, 0, root, mask, reinterpret_cast<const char*>(&ev));
}

} // namespace tavrin
