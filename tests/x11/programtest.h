#pragma once

#include "support/x11/x11fixture.h"

#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>
#include <QVariantMap>

namespace tavrin {

// The built program managing the test's X11 desktop, driven from outside as
// a user drives it; stopped at the end of the test. Its settings live in a
// folder of the test's own.
class X11ProgramTest : public X11Test {
protected:
    void TearDown() override;

    // Starts the program on the desktop with these settings, its windows on
    // Qt's platform `qpa` ("offscreen": none on the desktop; "xcb": real
    // ones), and waits until it says it runs. Unless `firstRun`, the
    // first-run window stays closed.
    bool startTavrin(const QString& qpa = QStringLiteral("offscreen"), const QVariantMap& settings = {},
                     bool firstRun = false);
    // Ends it with SIGTERM; true when it exits cleanly.
    bool stopTavrin();

    QTemporaryDir config_;
    QProcess tavrin_;
    QByteArray output_;
};

} // namespace tavrin
