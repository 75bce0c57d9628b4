#pragma once

#include <csignal>
#include <iterator>
#include <thread>

/// While it lives, SIGINT (Ctrl+C), SIGTERM and SIGHUP ask the job to stop after the page being
/// drawn, so that it can drop what it wrote. A second signal, or the first when the job has not
/// taken it up within two seconds (a page that never ends), ends the program at once after
/// removing the files being written. A signal the program was started with ignored (a job in
/// the background of a script, nohup) stays ignored.
class InterruptGuard
{
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;

    static bool interrupted();
    /// The job stops now: the guard no longer ends it on its own after the two seconds.
    static void acknowledge();
    /// Ends the program as the signal would have, for the shell that waits for it.
    [[noreturn]] static void endAsInterrupted();

private:
    void watch();

    static constexpr int kSignals[] = { SIGINT, SIGTERM, SIGHUP };
    struct sigaction m_before[std::size(kSignals)] = {};
    std::thread m_watcher;
};
