#include "session/fiber_loop.h"

#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#include <QMetaObject>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#define DEZADAV_FIBER_ASAN 1
#endif

namespace dezadav {

namespace {

// Every stack is reserved at this size and takes memory only as deep as it is used; its lowest page
// is a guard, so an overflow stops the program instead of writing into another stack.
constexpr std::size_t kStackBytes = std::size_t{1} << 20;

}  // namespace

struct Fiber {
    FiberLoop* loop = nullptr;
    ucontext_t context{};
    void* stack = nullptr;
    std::function<void()> task;
    std::function<void()> finished;
    bool woken = false;
    bool done = false;
    void* fakeStack = nullptr;  // the sanitizer's record of the stack switched away from
};

namespace {

thread_local Fiber* tCurrent = nullptr;
thread_local ucontext_t tLoopContext;
// The loop's own stack, as the sanitizer must be told when a fiber switches back to it.
thread_local const void* tLoopStackBottom = nullptr;
thread_local std::size_t tLoopStackSize = 0;

void StartSwitch(void** fakeStack, const void* bottom, std::size_t size) {
#ifdef DEZADAV_FIBER_ASAN
    __sanitizer_start_switch_fiber(fakeStack, bottom, size);
#else
    (void)fakeStack, (void)bottom, (void)size;
#endif
}

void FinishSwitch(void* fakeStack, const void** bottom, std::size_t* size) {
#ifdef DEZADAV_FIBER_ASAN
    __sanitizer_finish_switch_fiber(fakeStack, bottom, size);
#else
    (void)fakeStack, (void)bottom, (void)size;
#endif
}

// Saves the running context into `save` and continues in `target`; returns when `save` is resumed.
void SwitchContext(ucontext_t* save, const ucontext_t* target) {
#ifdef DEZADAV_FIBER_ASAN
    // The sanitizer writes a warning to standard error at the first swapcontext, which scripts and
    // tests would read as the program's. The switches are announced to it (StartSwitch, FinishSwitch)
    // and made with getcontext and setcontext, which it leaves alone.
    volatile bool resumed = false;
    getcontext(save);
    if (!resumed) {
        resumed = true;
        setcontext(target);
    }
#else
    swapcontext(save, target);
#endif
}

void FiberEntry() {
    Fiber* fiber = tCurrent;
    FinishSwitch(nullptr, &tLoopStackBottom, &tLoopStackSize);
    try {
        fiber->task();
    } catch (...) {
        // The task ends; the loop and the other tasks go on.
    }
    fiber->done = true;
    // This stack is left for good: the sanitizer may forget it.
    StartSwitch(nullptr, tLoopStackBottom, tLoopStackSize);
    setcontext(&tLoopContext);
}

}  // namespace

FiberLoop::FiberLoop() = default;

FiberLoop::~FiberLoop() = default;

Fiber* FiberLoop::Current() { return tCurrent; }

void FiberLoop::Start(std::function<void()> task, std::function<void()> finished) {
    auto* fiber = new Fiber;
    fiber->loop = this;
    fiber->task = std::move(task);
    fiber->finished = std::move(finished);
    void* stack = mmap(nullptr, kStackBytes, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
    if (stack == MAP_FAILED) std::abort();
    mprotect(stack, static_cast<std::size_t>(sysconf(_SC_PAGESIZE)), PROT_NONE);
    fiber->stack = stack;
    getcontext(&fiber->context);
    fiber->context.uc_stack.ss_sp = stack;
    fiber->context.uc_stack.ss_size = kStackBytes;
    fiber->context.uc_link = nullptr;
    makecontext(&fiber->context, &FiberEntry, 0);
    ++m_count;
    Wake(fiber);
}

void FiberLoop::Wake(Fiber* fiber) {
    if (fiber == nullptr || fiber->woken) return;
    fiber->woken = true;
    FiberLoop* loop = fiber->loop;
    loop->m_woken.push_back(fiber);
    // One pass of the loop runs every fiber woken since the last.
    if (!loop->m_runPosted) {
        loop->m_runPosted = true;
        QMetaObject::invokeMethod(loop, &FiberLoop::RunWoken, Qt::QueuedConnection);
    }
}

void FiberLoop::RunWoken() {
    m_runPosted = false;
    std::vector<Fiber*> woken;
    woken.swap(m_woken);
    for (Fiber* fiber : woken) {
        fiber->woken = false;
        Resume(fiber);
    }
}

void FiberLoop::Resume(Fiber* fiber) {
    tCurrent = fiber;
    void* loopFakeStack = nullptr;
    StartSwitch(&loopFakeStack, fiber->stack, kStackBytes);
    SwitchContext(&tLoopContext, &fiber->context);
    FinishSwitch(loopFakeStack, nullptr, nullptr);
    tCurrent = nullptr;
    if (!fiber->done) return;
    if (fiber->woken) std::erase(m_woken, fiber);
#ifdef DEZADAV_FIBER_ASAN
    // The next stack mapped here must not inherit this one's poisoned frames.
    ASAN_UNPOISON_MEMORY_REGION(fiber->stack, kStackBytes);
#endif
    munmap(fiber->stack, kStackBytes);
    std::function<void()> finished = std::move(fiber->finished);
    delete fiber;
    --m_count;
    if (finished) finished();
}

void FiberLoop::Suspend() {
    Fiber* fiber = tCurrent;
    if (fiber == nullptr) return;
    StartSwitch(&fiber->fakeStack, tLoopStackBottom, tLoopStackSize);
    SwitchContext(&fiber->context, &tLoopContext);
    FinishSwitch(fiber->fakeStack, &tLoopStackBottom, &tLoopStackSize);
}

void RunOffLoop(const std::function<void()>& work) {
    Fiber* fiber = FiberLoop::Current();
    if (fiber == nullptr) {
        work();
        return;
    }
    // The worker's message may arrive after the task has gone on (woken by something else once the
    // work was done): it then finds the wait over and leaves the fiber alone.
    struct Wait {
        std::atomic<bool> done{false};
        bool over = false;
    };
    const auto wait = std::make_shared<Wait>();
    FiberLoop* loop = fiber->loop;
    std::thread worker([&work, wait, loop, fiber] {
        work();
        wait->done = true;
        QMetaObject::invokeMethod(
            loop, [wait, fiber] { if (!wait->over) FiberLoop::Wake(fiber); }, Qt::QueuedConnection);
    });
    while (!wait->done) FiberLoop::Suspend();
    wait->over = true;
    worker.join();
}

}  // namespace dezadav
