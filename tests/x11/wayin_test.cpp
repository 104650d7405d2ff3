// The ways into the running program on a plain X11 desktop: its tray icon,
// when a tray comes only after it (and comes back), and a second start that
// opens its menu-bar window.
#include "programtest.h"
#include "support/privatebus.h"

#include <QProcess>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace tavrin {
namespace {

// A system tray of the smallest kind: it owns the tray selection of screen
// 0, announces itself to the root window, and notes the icons that ask to be
// docked. Leaving (disconnecting) gives the selection up, as a panel that
// quits does.
class TrayManager {
public:
    explicit TrayManager(const QString& display)
    {
        connection_ = xcb_connect(display.toLocal8Bit().constData(), nullptr);
        if (xcb_connection_has_error(connection_))
            return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        window_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, 0, nullptr);
        const xcb_atom_t selection = atom("_NET_SYSTEM_TRAY_S0");
        opcode_ = atom("_NET_SYSTEM_TRAY_OPCODE");
        xcb_set_selection_owner(connection_, window_, selection, XCB_CURRENT_TIME);
        xcb_client_message_event_t manager{};
        manager.response_type = XCB_CLIENT_MESSAGE;
        manager.format = 32;
        manager.window = screen->root;
        manager.type = atom("MANAGER");
        manager.data.data32[0] = XCB_CURRENT_TIME;
        manager.data.data32[1] = selection;
        manager.data.data32[2] = window_;
        xcb_send_event(connection_, false, screen->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&manager));
        xcb_flush(connection_);
    }
    ~TrayManager() { xcb_disconnect(connection_); }

    // Icons that asked to be docked so far.
    int docked()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                if (message->type == opcode_ && message->data.data32[1] == 0) // SYSTEM_TRAY_REQUEST_DOCK
                    ++docked_;
            }
            free(event);
        }
        return docked_;
    }

private:
    xcb_atom_t atom(const char* name)
    {
        auto* reply = xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, strlen(name), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return a;
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t window_ = 0;
    xcb_atom_t opcode_ = XCB_ATOM_NONE;
    int docked_ = 0;
};

class X11WayInTest : public X11ProgramTest {
protected:
    // A viewable top-level window of this title: a managed client, or one
    // the window manager does not manage.
    bool topLevelShown(const QString& title)
    {
        if (const xcb_window_t client = clientTitled(title); client && isViewable(client))
            return true;
        auto cookie = xcb_query_tree(probe_->xcb(), probe_->root());
        XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(probe_->xcb(), cookie, nullptr));
        if (!tree)
            return false;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
            if (titleOf(children[i]) == title && isViewable(children[i]))
                return true;
        return false;
    }

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Run runSecond(const QStringList& arguments)
    {
        QProcess second;
        second.setProcessEnvironment(environmentFor(QStringLiteral("xcb")));
        second.start(QStringLiteral(TAVRIN_BINARY), arguments);
        EXPECT_TRUE(second.waitForFinished(20000));
        return {second.exitCode(), QString::fromUtf8(second.readAllStandardOutput()),
                QString::fromUtf8(second.readAllStandardError())};
    }
};

TEST_F(X11WayInTest, TheTrayIconComesWithATrayStartedLaterAndAfterItRestarts)
{
    ASSERT_TRUE(startTavrin(QStringLiteral("xcb"))) << output_.toStdString();
    {
        TrayManager panel(session_->display());
        EXPECT_TRUE(waitUntil([&] { return panel.docked() > 0; }, 10.0)) << "no icon docked in the new tray";
    }
    TrayManager restarted(session_->display());
    EXPECT_TRUE(waitUntil([&] { return restarted.docked() > 0; }, 10.0)) << "no icon docked after a restart";
    EXPECT_TRUE(stopTavrin()) << tavrin_.readAllStandardError().toStdString();
}

TEST_F(X11WayInTest, ASecondStartOpensTheMenuBarWindowOrRefusesOtherOptions)
{
    PrivateBus bus;
    if (bus.address().isEmpty())
        GTEST_SKIP() << bus.problem().toStdString();
    programEnvironment_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    ASSERT_TRUE(startTavrin(QStringLiteral("xcb"))) << output_.toStdString();
    ASSERT_FALSE(topLevelShown(QStringLiteral("Tavrin")));

    const Run same = runSecond({QStringLiteral("--desktop"), QStringLiteral("x11")});
    EXPECT_EQ(same.exitCode, 0) << same.err.toStdString();
    EXPECT_EQ(same.out, QStringLiteral("Tavrin is already running on the X11 desktop (%1): its menu-bar window is "
                                       "open now.\n")
                            .arg(session_->display()));
    EXPECT_TRUE(waitUntil([&] { return topLevelShown(QStringLiteral("Tavrin")); }, 10.0));

    // A plain `tavrin`, as a user types it: the running one's window.
    const Run plain = runSecond({});
    EXPECT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    EXPECT_EQ(plain.out, same.out);

    const Run other = runSecond({QStringLiteral("--desktop"), QStringLiteral("sim")});
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_TRUE(other.err.startsWith(QStringLiteral("tavrin: Another Tavrin is already running on the X11 desktop")))
        << other.err.toStdString();
    EXPECT_TRUE(stopTavrin()) << tavrin_.readAllStandardError().toStdString();
}

} // namespace
} // namespace tavrin
