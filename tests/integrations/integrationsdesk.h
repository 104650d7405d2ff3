#pragma once

#include "platform/sim/simautomation.h"
#include "platform/sim/simprocesses.h"
#include "support/simfixture.h"
#include "windows/axwindow.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <qcoro/qcorotask.h>

namespace tavrin {

// A simulated desktop (a scenario written inline, or the default one) with a
// temporary home folder whose ".config" is the application support folder.
class IntegrationsDesk : public ::testing::Test {
protected:
    explicit IntegrationsDesk(const QByteArray& scenario = {});

    // A file under the temporary home, with its folders made.
    QString write(const QString& pathInHome, const QByteArray& contents) const;
    QString home() const { return home_.path(); }
    QString support() const { return home() + QStringLiteral("/.config"); }
    // A folder under the home, made.
    QString folder(const QString& pathInHome) const;

    // The windows of the running application with this name, as Accessibility
    // lists them.
    std::vector<AXWindow> windowsOf(const QString& app) const;
    // The windows with these titles, in this order.
    std::vector<AXWindow> windowsTitled(const QStringList& titles) const;

    QStringList scripts() const { return env.desktop.automation().scripts(); }
    QStringList processRuns() const { return env.desktop.processes().runs(); }

    // Runs a task to its end, moving virtual time on in small steps.
    template <class T>
    T finish(QCoro::Task<T> task, double limit = 30);

    std::unique_ptr<SimEnvironment> envHolder;
    SimEnvironment& env;

private:
    QTemporaryDir home_;
};

namespace detail {
template <class T>
QCoro::Task<> keep(QCoro::Task<T> task, std::optional<T>* out)
{
    out->emplace(co_await std::move(task));
}
} // namespace detail

template <class T>
T IntegrationsDesk::finish(QCoro::Task<T> task, double limit)
{
    std::optional<T> result;
    auto waiting = detail::keep(std::move(task), &result);
    for (double waited = 0; !result && waited < limit; waited += 0.05)
        env.clock.advance(0.05);
    EXPECT_TRUE(result.has_value()) << "the task did not finish within " << limit << " s";
    return result ? std::move(*result) : T();
}

} // namespace tavrin
