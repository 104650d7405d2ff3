#include "heldkeychain.h"

#include <qcoro/qcorosignal.h>

namespace tavrin::testing {

QCoro::Task<KeychainResult> HeldKeychain::read(QString service, QString account)
{
    ++waiting_;
    co_await qCoro(this, &HeldKeychain::answered);
    --waiting_;
    co_return co_await items_.read(std::move(service), std::move(account));
}

} // namespace tavrin::testing
