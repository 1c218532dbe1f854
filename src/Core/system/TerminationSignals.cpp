#include "system/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array handledSignals{SIGTERM, SIGHUP, SIGINT};
int writeEnd = -1;

void onSignal(int signalNumber)
{
    const auto byte = static_cast<unsigned char>(signalNumber);
    const int savedErrno = errno;
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals *TerminationSignals::install()
{
    static TerminationSignals *installed = [] {
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0)
            return new TerminationSignals(-1);
        writeEnd = ends[0];
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        for (const int signalNumber : handledSignals) {
            // A signal ignored when the app started stays ignored, as whoever started it asked:
            // SIGHUP under nohup, SIGINT for a job a script started in the background.
            struct sigaction before = {};
            if (::sigaction(signalNumber, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
                continue;
            ::sigaction(signalNumber, &action, nullptr);
        }
        return new TerminationSignals(ends[1]);
    }();
    return installed;
}

TerminationSignals::TerminationSignals(int readEnd)
    : QObject(QCoreApplication::instance()), m_readEnd(readEnd),
      m_notifier(readEnd >= 0 ? new QSocketNotifier(readEnd, QSocketNotifier::Read, this) : nullptr)
{
    if (m_notifier)
        connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPending);
}

void TerminationSignals::readPending()
{
    unsigned char byte = 0;
    while (::read(m_readEnd, &byte, 1) == 1)
        Q_EMIT received(byte);
}
