#include "app/appdelegate.h"

#include "app/tavrinapp.h"
#include "platform/clock.h"
#include "platform/platform.h"

#include <QCoreApplication>
#include <QThread>

namespace tavrin {

void AppDelegate::attach()
{
    Platform::current().clock->schedule(0, [this] { applicationDidFinishLaunching(); });
}

void AppDelegate::applicationDidFinishLaunching()
{
    Q_ASSERT(QThread::currentThread() == QCoreApplication::instance()->thread());
    app_.startUp();
}

} // namespace tavrin
