// A logout, a closed terminal, Ctrl+C and SIGTERM end the program as closing the window does,
// at the event loop's next turn: never inside the handler, where a save would be cut short.

#include "support/scripted_desktop.h"
#include "window/desktop/end_signals.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace {

struct SignalCase {
    const char* name;
    int number;
    bool ignoredBefore;  // as nohup leaves it
    bool ends;
};

TEST(EndSignals, EachEndsTheProgramAtTheNextTurnOfTheEventLoop)
{
    const SignalCase cases[] = {
        {"SIGTERM", SIGTERM, false, true},
        {"SIGHUP", SIGHUP, false, true},
        {"SIGINT", SIGINT, false, true},
        {"SIGHUP under nohup", SIGHUP, true, false},
    };
    for (const SignalCase& c : cases) {
        struct sigaction before {};
        if (c.ignoredBefore)
            std::signal(c.number, SIG_IGN);
        ::sigaction(c.number, nullptr, &before);
        {
            ScriptedDesktop desktop;
            const EndSignals ending(desktop);
            ASSERT_EQ(::raise(c.number), 0) << c.name;
            EXPECT_FALSE(desktop.programEnded()) << c.name << ": ended inside the handler";
            QElapsedTimer waited;
            waited.start();
            while (!desktop.programEnded() && waited.elapsed() < (c.ends ? 5000 : 200))
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            EXPECT_EQ(desktop.programEnded(), c.ends) << c.name;
        }
        struct sigaction after {};
        ::sigaction(c.number, nullptr, &after);
        EXPECT_EQ(after.sa_handler, before.sa_handler) << c.name << ": not put back";
        std::signal(c.number, SIG_DFL);
    }
}

}  // namespace
