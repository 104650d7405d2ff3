// The buttons that open the desktop's settings start the running desktop's
// own program, found on the search path (fake programs here), at the page
// asked for, and nothing of another desktop.
#include "platform/x11/desktopsettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tavrin {
namespace {

using Opening = Workspace::SettingsOpening;

const QUrl kWindows(Workspace::kSettingsScheme + ':' + Workspace::kDesktopSettingsPage);
const QUrl kAccounts(Workspace::kSettingsScheme + ':' + Workspace::kOnlineAccountsPage);
const QUrl kCalendars(Workspace::kSettingsScheme + QStringLiteral(":com.apple.preference.security?Privacy_Calendars"));

// A folder of fake settings programs, first on the search path.
class FakePrograms {
public:
    explicit FakePrograms(const QStringList& programs) : path_(qgetenv("PATH"))
    {
        for (const QString& program : programs) {
            QFile file(dir_.filePath(program));
            file.open(QIODevice::WriteOnly);
            file.write("#!/bin/sh\nexit 0\n");
            file.close();
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", (dir_.path() + QStringLiteral(":/usr/bin:/bin")).toUtf8());
    }
    ~FakePrograms() { qputenv("PATH", path_); }
    QString dir() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QByteArray path_;
};

TEST(DesktopSettings, TheRunningDesktopsOwnProgramAtThePageAskedForOrASaidWhyNot)
{
    // Every desktop's program is installed, as on a machine with several.
    const FakePrograms fakes({"gnome-control-center", "systemsettings", "xfce4-settings-manager",
                              "xfwm4-tweaks-settings", "cinnamon-settings", "mate-control-center",
                              "mate-window-preferences", "lxqt-config"});
    const struct {
        QString desktop;
        QUrl address;
        Opening opening;
        QString started; // program and arguments
    } rows[] = {
        {"GNOME", kWindows, Opening::opened, "gnome-control-center multitasking"},
        {"ubuntu:GNOME", kAccounts, Opening::opened, "gnome-control-center online-accounts"},
        {"GNOME", kCalendars, Opening::opened, "gnome-control-center"}, // no page of its own: the start
        {"KDE", kWindows, Opening::opened, "systemsettings kwinscreenedges"},
        {"KDE", kAccounts, Opening::opened, "systemsettings kcm_kaccounts"},
        {"XFCE", kWindows, Opening::opened, "xfwm4-tweaks-settings"},
        {"XFCE", kCalendars, Opening::opened, "xfce4-settings-manager"},
        {"XFCE", kAccounts, Opening::noSuchPage, ""},
        {"X-Cinnamon", kWindows, Opening::opened, "cinnamon-settings tiling"},
        {"X-Cinnamon", kAccounts, Opening::noSuchPage, ""},
        {"MATE", kWindows, Opening::opened, "mate-window-preferences"},
        {"LXQt", kWindows, Opening::opened, "lxqt-config"},
        // Openbox alone, or a desktop not known: no settings program.
        {"", kWindows, Opening::noProgram, ""},
        {"openbox", kWindows, Opening::noProgram, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE((row.desktop + ' ' + row.address.path()).toStdString());
        QStringList started;
        const DesktopSettings settings(
            {},
            [&](const QString& path, const QStringList& arguments) {
                started << (QStringList{QDir(fakes.dir()).relativeFilePath(path)} + arguments).join(' ');
                return true;
            },
            row.desktop);
        EXPECT_EQ(settings.open(row.address), row.opening);
        EXPECT_EQ(started, row.started.isEmpty() ? QStringList() : QStringList{row.started});
    }
    // Xfce's window tweaks take no page argument: the tab is named instead.
    const auto start = [](const QString&, const QStringList&) { return true; };
    const auto tweaks = DesktopSettings({}, start, QStringLiteral("XFCE")).tab(kWindows);
    ASSERT_TRUE(tweaks);
    EXPECT_EQ(tweaks->program, "Window Manager Tweaks");
    EXPECT_EQ(tweaks->tab, "Accessibility");
    EXPECT_FALSE(DesktopSettings({}, start, QStringLiteral("XFCE")).tab(kCalendars));
    EXPECT_FALSE(DesktopSettings({}, start, QStringLiteral("GNOME")).tab(kWindows));
}

// The window manager that runs says whose settings it reads, with or
// without a session that names the desktop; one not known here leaves it
// to the session.
TEST(DesktopSettings, TheRunningDesktopIsTheWindowManagersFirst)
{
    const struct {
        QString windowManager, named, desktop;
    } rows[] = {
        {"Xfwm4", "", "XFCE"},
        {"KWin", "", "KDE"},
        {"GNOME Shell", "ubuntu:GNOME", "GNOME"},
        {"Mutter (Muffin)", "GNOME", "X-Cinnamon"},
        {"Openbox", "XFCE", "XFCE"},
        {"Openbox", "", ""},
        {"", "MATE", "MATE"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DesktopSettings::runningDesktop(row.windowManager, row.named), row.desktop)
            << row.windowManager.toStdString();
}

TEST(DesktopSettings, AnotherDesktopsProgramIsNeverStartedInsteadOfAMissingOne)
{
    // Xfce's tweaks installed on GNOME (or openbox): nothing starts.
    const FakePrograms fakes({"xfwm4-tweaks-settings", "xfce4-settings-manager"});
    int started = 0;
    const auto start = [&](const QString&, const QStringList&) { return ++started > 0; };
    EXPECT_EQ(DesktopSettings({}, start, QStringLiteral("GNOME")).open(kWindows), Opening::noProgram);
    EXPECT_EQ(DesktopSettings({}, start, QStringLiteral("KDE")).open(kAccounts), Opening::noProgram);
    EXPECT_EQ(started, 0);
    // A program that does not start.
    EXPECT_EQ(DesktopSettings(
                  {}, [](const QString&, const QStringList&) { return false; }, QStringLiteral("XFCE"))
                  .open(kWindows),
              Opening::noProgram);
}

} // namespace
} // namespace tavrin
