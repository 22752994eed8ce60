// A logout, a shutdown or a kill ends the program as File > Exit does (the
// record closed, the result written) instead of cutting the process off.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <csignal>

#include "app/endrequests.h"
#include "support/programfixture.h"

TEST(EndRequests, TheSessionsEndAndAKillEndTheProgramAsExitDoes) {
    TestProgram t;
    std::vector<int> ends;
    t->setEndHandler([&ends] { ends.push_back(1); });
    {
        const EndRequests requests(*t);
        ASSERT_TRUE(requests.watching());
        // Left to their defaults, these would end this test program here.
        for (int signal : {SIGTERM, SIGHUP, SIGINT})
            std::raise(signal);
        QElapsedTimer waited;
        waited.start();
        while (ends.size() < 3 && waited.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_EQ(ends.size(), 3u);
    }
    // Gone with the program: the signals are the system's again.
    struct sigaction now {};
    sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}
