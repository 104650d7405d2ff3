#include "platform/linux/pulsemicrophone.h"

#include <algorithm>
#include <optional>
#include <pulse/pulseaudio.h>

namespace tavrin {

// Everything below runs on the main loop's own thread (its callbacks), except
// the constructor and the destructor, which hold the loop's lock.
struct PulseMicrophone::Loop {
    PulseMicrophone& owner;
    pa_threaded_mainloop* mainloop = nullptr;
    pa_context* context = nullptr;
    pa_time_event* retry = nullptr;
    // The wait before the next attempt: longer after each one that failed.
    double retryWait = kRetryInterval;
    // Questions about the default source still unanswered: the answer is
    // current when none is.
    int asking = 0;

    explicit Loop(PulseMicrophone& o) : owner(o) {}

    pa_mainloop_api* api() { return pa_threaded_mainloop_get_api(mainloop); }

    void connect()
    {
        pa_proplist* props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Tavrin");
        context = pa_context_new_with_proplist(api(), "Tavrin", props);
        pa_proplist_free(props);
        if (!context)
            return lost();
        pa_context_set_state_callback(context, &Loop::stateChanged, this);
        pa_context_set_subscribe_callback(context, &Loop::changed, this);
        // Never start a sound server of our own.
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            lost();
    }

    void disconnect()
    {
        if (!context)
            return;
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_set_subscribe_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
        context = nullptr;
    }

    // No server, or it went away: nothing records, and it is asked again later.
    void lost()
    {
        asking = 0;
        owner.inUse_.store(false, std::memory_order_relaxed);
        owner.current_.store(true, std::memory_order_release);
        scheduleRetry();
    }

    void scheduleRetry()
    {
        if (retry)
            return;
        timeval when;
        pa_gettimeofday(&when);
        pa_timeval_add(&when, pa_usec_t(retryWait * PA_USEC_PER_SEC));
        retry = api()->time_new(api(), &when, &Loop::retryDue, this);
        retryWait = std::min(retryWait * 2, kLongestRetryInterval);
    }

    static void retryDue(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self)
    {
        auto* loop = static_cast<Loop*>(self);
        api->time_free(event);
        loop->retry = nullptr;
        loop->disconnect();
        loop->connect();
    }

    static void stateChanged(pa_context* c, void* self)
    {
        auto* loop = static_cast<Loop*>(self);
        switch (pa_context_get_state(c)) {
        case PA_CONTEXT_READY: {
            loop->retryWait = kRetryInterval;
            const auto mask = pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SERVER);
            if (pa_operation* op = pa_context_subscribe(c, mask, nullptr, nullptr))
                pa_operation_unref(op);
            loop->ask();
            break;
        }
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED: loop->lost(); break;
        default: break;
        }
    }

    // A source or the server's defaults changed: the answer may have.
    static void changed(pa_context*, pa_subscription_event_type_t, uint32_t, void* self)
    {
        static_cast<Loop*>(self)->ask();
    }

    // Asks which source is the default, then what state it is in.
    void ask()
    {
        pa_operation* op = pa_context_get_server_info(context, &Loop::serverInfo, this);
        if (!op)
            return;
        pa_operation_unref(op);
        ++asking;
        owner.current_.store(false, std::memory_order_release);
    }

    void answered(std::optional<bool> inUse)
    {
        if (inUse)
            owner.inUse_.store(*inUse, std::memory_order_relaxed);
        if (asking > 0 && --asking == 0)
            owner.current_.store(true, std::memory_order_release);
    }

    static void serverInfo(pa_context* c, const pa_server_info* info, void* self)
    {
        auto* loop = static_cast<Loop*>(self);
        if (!info || !info->default_source_name || !*info->default_source_name)
            return loop->answered(false);
        ++loop->asking; // the source's answer, before this one counts as given
        pa_operation* op = pa_context_get_source_info_by_name(c, info->default_source_name, &Loop::sourceInfo, self);
        if (op)
            pa_operation_unref(op);
        else
            loop->answered(false);
        loop->answered(std::nullopt);
    }

    // Called once with the source (or with an error), then once with `eol`.
    static void sourceInfo(pa_context*, const pa_source_info* info, int eol, void* self)
    {
        auto* loop = static_cast<Loop*>(self);
        if (eol > 0)
            return;
        if (eol < 0 || !info)
            return loop->answered(false);
        const bool capture = info->monitor_of_sink == PA_INVALID_INDEX;
        loop->answered(capture && info->state == PA_SOURCE_RUNNING);
    }
};

PulseMicrophone::PulseMicrophone() : loop_(std::make_unique<Loop>(*this))
{
    loop_->mainloop = pa_threaded_mainloop_new();
    if (!loop_->mainloop) {
        current_.store(true);
        return;
    }
    pa_threaded_mainloop_set_name(loop_->mainloop, "Tavrin sound");
    pa_threaded_mainloop_lock(loop_->mainloop);
    loop_->connect();
    pa_threaded_mainloop_unlock(loop_->mainloop);
    if (pa_threaded_mainloop_start(loop_->mainloop) < 0) {
        pa_threaded_mainloop_lock(loop_->mainloop);
        loop_->disconnect();
        pa_threaded_mainloop_unlock(loop_->mainloop);
        pa_threaded_mainloop_free(loop_->mainloop);
        loop_->mainloop = nullptr;
        current_.store(true);
    }
}

PulseMicrophone::~PulseMicrophone()
{
    if (!loop_->mainloop)
        return;
    pa_threaded_mainloop_lock(loop_->mainloop);
    if (loop_->retry) {
        loop_->api()->time_free(loop_->retry);
        loop_->retry = nullptr;
    }
    loop_->disconnect();
    pa_threaded_mainloop_unlock(loop_->mainloop);
    pa_threaded_mainloop_stop(loop_->mainloop);
    pa_threaded_mainloop_free(loop_->mainloop);
}

} // namespace tavrin
