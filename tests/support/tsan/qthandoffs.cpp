// Loaded into the processes of the thread-sanitizer run (scripts/tsan.sh puts
// it in LD_PRELOAD): tells ThreadSanitizer of the hand-overs Qt makes between
// threads through locks of its own, which the sanitizer cannot see in a Qt
// not built with it — a call queued to another thread's event loop, a
// function run on a thread pool. Without this every such call would show as
// a race between what the posting thread wrote (the call's captures, the
// object that carries it) and the thread that runs or frees it. Only the
// hand-over itself is told of: all else the two threads share is judged as
// ever.
//
// Built without the sanitizer and with weak references to its entry points,
// so that the programs the tests start that are not sanitised (the X server,
// the window manager, xterm) load it to no effect.

// (Qt's version tag would tie it to QtCore, which most programs do not load.)
#define QT_NO_VERSION_TAGGING
#include <QtCore/qobjectdefs.h>
#include <QtCore/qthreadpool.h>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <functional>
#include <memory>

extern "C" {
void __tsan_acquire(void* address) __attribute__((weak));
void __tsan_release(void* address) __attribute__((weak));
}

namespace {

void handOver(void* token)
{
    if (__tsan_release)
        __tsan_release(token);
}

void takeOver(void* token)
{
    if (__tsan_acquire)
        __tsan_acquire(token);
}

// Qt's own definition, which this file's hides. Both are Qt 6's (the
// distribution's 6.4): a Qt without them stops the run here, by name.
template <typename Function>
Function next(const char* symbol)
{
    void* found = ::dlsym(RTLD_NEXT, symbol);
    if (!found) {
        std::fprintf(stderr, "qthandoffs: Qt has no %s\n", symbol);
        std::abort();
    }
    return reinterpret_cast<Function>(found);
}

// A queued call's slot object, wrapped: whichever thread runs or frees it
// takes over first what the posting thread handed over. Qt counts its
// references with atomics the sanitizer does not see either, so a run hands
// over in turn to whichever thread lets go of it last and frees it.
class HandedOver : public QtPrivate::QSlotObjectBase {
public:
    explicit HandedOver(QtPrivate::QSlotObjectBase* inner) : QSlotObjectBase(&impl), inner_(inner) {}

private:
    static void impl(int which, QSlotObjectBase* self, QObject* receiver, void** args, bool* ret)
    {
        auto* me = static_cast<HandedOver*>(self);
        takeOver(me);
        switch (which) {
        case Destroy:
            me->inner_->destroyIfLastRef();
            delete me;
            return;
        case Call: me->inner_->call(receiver, args); break;
        case Compare: *ret = me->inner_->compare(args); break;
        default: break;
        }
        handOver(me);
    }

    QtPrivate::QSlotObjectBase* inner_;
};

} // namespace

// What QMetaObject::invokeMethod with a function or functor comes to.
bool QMetaObject::invokeMethodImpl(QObject* object, QtPrivate::QSlotObjectBase* slot, Qt::ConnectionType type,
                                   void* ret)
{
    using Qt6 = bool (*)(QObject*, QtPrivate::QSlotObjectBase*, Qt::ConnectionType, void*);
    static const auto qt =
        next<Qt6>("_ZN11QMetaObject16invokeMethodImplEP7QObjectPN9QtPrivate15QSlotObjectBaseEN2Qt14ConnectionTypeEPv");
    auto* wrapped = new HandedOver(slot); // (made before the hand-over)
    handOver(wrapped);
    return qt(object, wrapped, type, ret);
}

void QThreadPool::start(std::function<void()> functionToRun, int priority)
{
    using Qt6 = void (*)(QThreadPool*, std::function<void()>, int);
    static const auto qt = next<Qt6>("_ZN11QThreadPool5startESt8functionIFvvEEi");
    // Everything made before the hand-over, the wrapping too, and held by
    // the wrapping alone: the task is freed where it ran.
    auto task = std::make_shared<std::function<void()>>(std::move(functionToRun));
    void* token = task.get();
    std::function<void()> run = [task = std::move(task)] {
        takeOver(task.get());
        (*task)();
    };
    handOver(token);
    qt(this, std::move(run), priority);
}
