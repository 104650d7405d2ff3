#include "platform/x11/x11atoms.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <utility>
#include <xcb/xcbext.h>

namespace tavrin {

namespace {
using Entry = std::pair<const char*, xcb_atom_t X11Atoms::*>;
constexpr std::array<Entry, X11Atoms::kNamed> kNames{{
    {"WM_STATE", &X11Atoms::wmState},
    {"WM_CHANGE_STATE", &X11Atoms::wmChangeState},
    {"WM_DELETE_WINDOW", &X11Atoms::wmDeleteWindow},
    {"WM_TAKE_FOCUS", &X11Atoms::wmTakeFocus},
    {"UTF8_STRING", &X11Atoms::utf8String},
    {"COMPOUND_TEXT", &X11Atoms::compoundText},
    {"EDID", &X11Atoms::edid},
    {"_NET_WM_STATE", &X11Atoms::netWmState},
    {"_NET_WM_STATE_SKIP_TASKBAR", &X11Atoms::netWmStateSkipTaskbar},
    {"_NET_WM_STATE_SKIP_PAGER", &X11Atoms::netWmStateSkipPager},
    {"_NET_WM_STATE_STICKY", &X11Atoms::netWmStateSticky},
    {"_NET_WM_DESKTOP", &X11Atoms::netWmDesktop},
    {"_NET_WM_WINDOW_OPACITY", &X11Atoms::netWmWindowOpacity},
    {"_NET_RESTACK_WINDOW", &X11Atoms::netRestackWindow},
    {"_NET_WM_CM_S0", &X11Atoms::compositorOfScreen0},
    {"_KDE_NET_WM_BLUR_BEHIND_REGION", &X11Atoms::blurBehindRegion},
}};

// How long one wait for the socket lasts at most: another thread may read
// the reply off the socket first, and nothing tells this one.
constexpr int kPollSliceMs = 2;
} // namespace

X11Atoms::Request X11Atoms::request(xcb_connection_t* c)
{
    Request cookies;
    for (std::size_t i = 0; i < kNamed; ++i)
        cookies[i] = xcb_intern_atom(c, 0, std::uint16_t(std::strlen(kNames[i].first)), kNames[i].first);
    return cookies;
}

X11Atoms X11Atoms::take(xcb_connection_t* c, const Request& request)
{
    X11Atoms atoms;
    for (std::size_t i = 0; i < kNamed; ++i) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, request[i], nullptr);
        atoms.*kNames[i].second = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
    }
    return atoms;
}

std::optional<X11Atoms> X11Atoms::intern(xcb_connection_t* c, double timeout)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeout));
    const Request cookies = request(c);
    xcb_flush(c);
    X11Atoms atoms;
    for (std::size_t i = 0; i < kNamed; ++i) {
        for (;;) {
            void* reply = nullptr;
            xcb_generic_error_t* error = nullptr;
            if (xcb_poll_for_reply(c, cookies[i].sequence, &reply, &error)) {
                if (reply)
                    atoms.*kNames[i].second = static_cast<xcb_intern_atom_reply_t*>(reply)->atom;
                std::free(reply);
                std::free(error);
                break;
            }
            if (xcb_connection_has_error(c) || Clock::now() >= deadline) {
                for (std::size_t j = i; j < kNamed; ++j)
                    xcb_discard_reply(c, cookies[j].sequence);
                return std::nullopt;
            }
            pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
            ::poll(&p, 1, kPollSliceMs);
        }
    }
    return atoms;
}

} // namespace tavrin
