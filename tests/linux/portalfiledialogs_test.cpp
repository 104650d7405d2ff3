// The file dialogs go through the desktop portal's file chooser where one
// runs on the session bus, and through Qt's own dialogs where none does.
#include "platform/linux/portalfiledialogs.h"
#include "support/privatebus.h"
#include "support/scriptedfiledialogs.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace tavrin {

// A file chooser portal that answers each request with `uri`, or as
// cancelled when that is empty, and keeps what it was asked.
class FakeFileChooser : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.FileChooser")
    Q_PROPERTY(uint version READ version)
public:
    uint version() const { return 3; }

    QString uri;
    QStringList methods;
    QVariantMap lastOptions;

public slots:
    Q_SCRIPTABLE QDBusObjectPath SaveFile(const QString&, const QString&, const QVariantMap& options)
    {
        return answer(QStringLiteral("SaveFile"), options);
    }
    Q_SCRIPTABLE QDBusObjectPath OpenFile(const QString&, const QString&, const QVariantMap& options)
    {
        return answer(QStringLiteral("OpenFile"), options);
    }

private:
    QDBusObjectPath answer(const QString& method, const QVariantMap& options)
    {
        methods << method;
        lastOptions = options;
        QString sender = message().service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                 .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        // The answer comes once the user has chosen, after the call returns.
        QTimer::singleShot(0, this, [this, path, bus = connection()]() mutable {
            QDBusMessage response =
                QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"), "Response");
            response << uint(uri.isEmpty() ? 1 : 0)
                     << QVariantMap{{QStringLiteral("uris"), uri.isEmpty() ? QStringList() : QStringList{uri}}};
            bus.send(response);
        });
        return QDBusObjectPath(path);
    }
};

namespace {

class PortalFileDialogsOnABus : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (bus.address().isEmpty())
            GTEST_SKIP() << "no session bus could be started: " << bus.problem().toStdString();
        portalSide = bus.connect(QStringLiteral("portal"));
        appSide = bus.connect(QStringLiteral("app"));
        fallback.answer = QStringLiteral("/from/qt.plist");
    }
    void startPortal()
    {
        ASSERT_TRUE(
            portalSide.registerObject(PortalFileDialogs::kPath, &portal,
                                      QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportAllProperties));
        ASSERT_TRUE(portalSide.registerService(PortalFileDialogs::kService));
    }

    PrivateBus bus;
    QDBusConnection portalSide{QString()};
    QDBusConnection appSide{QString()};
    FakeFileChooser portal;
    ScriptedFileDialogs fallback;
    const FileType plist{QStringLiteral("Property lists"), {QStringLiteral("plist")}};
};

TEST_F(PortalFileDialogsOnABus, ThePortalChoosesWhereOneRunsAndQtElsewhere)
{
    PortalFileDialogs dialogs(appSide, fallback);
    EXPECT_FALSE(dialogs.portalRuns());
    EXPECT_EQ(dialogs.chooseSaveFile(QStringLiteral("Tavrin learnings.plist"), plist), "/from/qt.plist");
    EXPECT_EQ(fallback.opened, 1);

    startPortal();
    EXPECT_TRUE(dialogs.portalRuns());
    portal.uri = QUrl::fromLocalFile(QStringLiteral("/home/me/Tavrin learnings.plist")).toString();
    EXPECT_EQ(dialogs.chooseSaveFile(QStringLiteral("Tavrin learnings.plist"), plist),
              "/home/me/Tavrin learnings.plist");
    EXPECT_EQ(portal.lastOptions.value("current_name"), "Tavrin learnings.plist");
    EXPECT_TRUE(portal.lastOptions.contains("filters"));
    // A name typed without the extension gets it.
    portal.uri = QUrl::fromLocalFile(QStringLiteral("/home/me/moved")).toString();
    EXPECT_EQ(dialogs.chooseSaveFile(QStringLiteral("Tavrin learnings.plist"), plist), "/home/me/moved.plist");
    portal.uri = QUrl::fromLocalFile(QStringLiteral("/home/me/in.plist")).toString();
    EXPECT_EQ(dialogs.chooseOpenFile(plist), "/home/me/in.plist");
    // Cancelled in the portal's dialog: nothing chosen, and no second dialog.
    portal.uri.clear();
    EXPECT_EQ(dialogs.chooseOpenFile(plist), std::nullopt);
    EXPECT_EQ(portal.methods, (QStringList{"SaveFile", "SaveFile", "OpenFile", "OpenFile"}));
    EXPECT_EQ(fallback.opened, 1);
}

} // namespace
} // namespace tavrin

#include "portalfiledialogs_test.moc"
