#include "interruptguard.h"

#include <quillon/platform.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr auto kGrace = std::chrono::seconds(2);

volatile std::sig_atomic_t interruptedBy = 0;
std::atomic<bool> acknowledged = false;
int wake[2] = { -1, -1 }; // the handler tells the watcher through this pipe

extern "C" void noteSignal(int signal)
{
    const int savedErrno = errno;
    if (interruptedBy == 0)
        interruptedBy = signal;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(wake[1], &byte, 1);
    errno = savedErrno;
}

/// Removes what is being written and ends by the signal: nothing waits for the page any more.
[[noreturn]] void endNow(int signal)
{
    const bool removed = quillon::removeTemporaryFiles() > 0;
    std::fprintf(stderr, "%squillon-print: %s\n", ::isatty(STDERR_FILENO) ? "\n" : "",
        removed ? "已中断：没有写完的文件已删除，原有的同名文件未改动" : "已中断");
    std::fflush(stderr);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);
}

} // namespace

InterruptGuard::InterruptGuard()
{
    if (::pipe2(wake, O_CLOEXEC) != 0)
        return; // the signals keep their own effect
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], nullptr, &m_before[i]);
        if (m_before[i].sa_handler != SIG_IGN)
            sigaction(kSignals[i], &action, nullptr);
    }
    m_watcher = std::thread([this] { watch(); });
}

InterruptGuard::~InterruptGuard()
{
    if (!m_watcher.joinable())
        return;
    for (size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &m_before[i], nullptr);
    const char stop = 0;
    [[maybe_unused]] const ssize_t written = ::write(wake[1], &stop, 1);
    m_watcher.join();
    ::close(wake[0]);
    ::close(wake[1]);
}

void InterruptGuard::watch()
{
    int signals = 0;
    auto deadline = std::chrono::steady_clock::time_point::max();
    for (;;) {
        int timeout = -1;
        if (signals > 0 && !acknowledged) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            timeout = int(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
        }
        pollfd wait = { wake[0], POLLIN, 0 };
        const int ready = ::poll(&wait, 1, timeout);
        if (ready < 0)
            continue; // EINTR
        if (ready == 0) {
            if (!acknowledged)
                endNow(interruptedBy);
            continue;
        }
        char byte = 0;
        if (::read(wake[0], &byte, 1) != 1)
            continue;
        if (byte == 0)
            return; // the guard goes
        if (++signals > 1)
            endNow(byte);
        deadline = std::chrono::steady_clock::now() + kGrace;
    }
}

bool InterruptGuard::interrupted()
{
    return interruptedBy != 0;
}

void InterruptGuard::acknowledge()
{
    acknowledged = true;
}

void InterruptGuard::endAsInterrupted()
{
    std::signal(interruptedBy, SIG_DFL);
    std::raise(interruptedBy);
    std::_Exit(128 + interruptedBy);
}
