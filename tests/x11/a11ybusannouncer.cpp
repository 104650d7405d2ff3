#include "a11ybusannouncer.h"

namespace tavrin {

namespace {
const QString kService = QStringLiteral("org.a11y.Bus");
const QString kPath = QStringLiteral("/org/a11y/bus");
} // namespace

A11yBusAnnouncer::A11yBusAnnouncer(QDBusConnection session, QString accessibilityBus)
    : session_(std::move(session)),
      address_(std::move(accessibilityBus))
{
    registered_ = session_.registerObject(kPath, this, QDBusConnection::ExportScriptableSlots)
                  && session_.registerService(kService);
}

A11yBusAnnouncer::~A11yBusAnnouncer()
{
    session_.unregisterService(kService);
    session_.unregisterObject(kPath);
}

} // namespace tavrin
