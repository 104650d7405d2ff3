#include "platform/x11/desktopsettings.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(DesktopSettings, TheRunningDesktopsSettingsComeFirstAtThePageTheAddressNames)
{
    QStringList started;
    const auto start = [&](const QString& path, const QStringList& arguments) {
        started << (QStringList{path} + arguments).join(' ');
        return true;
    };
    const QUrl desktop(QStringLiteral("x-apple.systempreferences:com.apple.Desktop-Settings.extension"));
    const QUrl calendars(QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Calendars"));
    const auto everything = [](const QString& program) { return "/usr/bin/" + program; };
    EXPECT_TRUE(DesktopSettings(everything, start, "KDE").open(desktop));
    EXPECT_TRUE(DesktopSettings(everything, start, "ubuntu:GNOME").open(desktop));
    EXPECT_TRUE(DesktopSettings(everything, start, "GNOME").open(calendars)); // no page of its own: the start
    EXPECT_EQ(started, (QStringList{"/usr/bin/systemsettings kwinscreenedges",
                                    "/usr/bin/gnome-control-center multitasking", "/usr/bin/gnome-control-center"}));

    const auto onlyXfce = [](const QString& program) {
        return program == "xfwm4-tweaks-settings" ? "/usr/bin/" + program : QString();
    };
    started.clear();
    EXPECT_TRUE(DesktopSettings(onlyXfce, start, "GNOME").open(desktop));
    EXPECT_EQ(started, QStringList{"/usr/bin/xfwm4-tweaks-settings"});
    EXPECT_FALSE(DesktopSettings([](const QString&) { return QString(); }, start, "GNOME").open(desktop));
    EXPECT_FALSE(DesktopSettings(
                     everything, [](const QString&, const QStringList&) { return false; }, "GNOME")
                     .open(desktop));
}

} // namespace
} // namespace tavrin
