#include <UT/UT_Interrupt.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

TEST(UT_Interrupt, RequestStaysRaisedUntilCleared)
{
    UT_Interrupt server;
    EXPECT_FALSE(server.opInterrupt());
    std::thread([&server] { server.requestInterrupt(); }).join();
    EXPECT_TRUE(server.opInterrupt());
    EXPECT_TRUE(server.opInterrupt(40));
    server.clearInterrupt();
    EXPECT_FALSE(server.opInterrupt());
}

TEST(UT_Interrupt, ScopesNest)
{
    UT_Interrupt server;
    server.opEnd();  // nothing open: ignored
    EXPECT_EQ(server.getOpDepth(), 0);
    {
        UT_AutoInterrupt outer("Cooking", &server);
        UT_AutoInterrupt inner("Tracing Points", &server, false);
        EXPECT_EQ(server.getOpDepth(), 2);
        EXPECT_EQ(server.getActiveMessage(), "Tracing Points");
        EXPECT_FALSE(inner.wasInterrupted());
        server.requestInterrupt();
        EXPECT_TRUE(inner.wasInterrupted());
        EXPECT_TRUE(outer.wasInterrupted());
    }
    EXPECT_EQ(server.getOpDepth(), 0);
    EXPECT_EQ(server.getActiveMessage(), "");
}

// A request left over from earlier work must not stop the next piece of
// work: the outermost scope drops it when it opens. Requests raised once a
// scope is open (its START callback included) hold until the next outermost
// scope opens; inner scopes drop nothing.
TEST(UT_Interrupt, OutermostScopeDropsAStaleRequest)
{
    UT_Interrupt server;
    server.requestInterrupt();
    {
        UT_AutoInterrupt cook("First cook", &server);
        EXPECT_FALSE(cook.wasInterrupted()) << "raised before the cook began";
        server.requestInterrupt();
        UT_AutoInterrupt inner("Inner", &server);
        EXPECT_TRUE(inner.wasInterrupted()) << "an inner scope keeps the request";
    }
    EXPECT_TRUE(server.isInterruptRequested()) << "closing the scope keeps it too";
    {
        UT_AutoInterrupt again("Second cook", &server);
        EXPECT_FALSE(again.wasInterrupted());
    }

    server.setProgressCallback([&](const UT_InterruptEvent &e) {
        if (e.kind == UT_InterruptEvent::START)
            server.requestInterrupt();
    });
    UT_AutoInterrupt third("Third cook", &server);
    EXPECT_TRUE(third.wasInterrupted()) << "raised as the scope opened";
}

TEST(UT_Interrupt, ProgressCallbackHearsShownScopesOnly)
{
    UT_Interrupt server;
    std::vector<std::string> events;
    server.setProgressCallback([&](const UT_InterruptEvent &e) {
        // The callback may query the server while it runs.
        events.push_back(std::to_string(e.kind) + " " + e.message + " " + std::to_string(e.depth) + " " +
                         std::to_string(e.percent) + " " + std::to_string(server.getOpDepth()));
    });
    {
        UT_AutoInterrupt shown("Cook", &server);
        shown.wasInterrupted(50);
        shown.wasInterrupted();  // no percentage: nothing to report
        shown.wasInterrupted(250);
        UT_AutoInterrupt quiet("Inner", &server, false);
        quiet.wasInterrupted(10);
    }
    server.setProgressCallback(nullptr);
    {
        UT_AutoInterrupt unheard("After", &server);
    }
    EXPECT_EQ(events, (std::vector<std::string>{"0 Cook 1 0 1", "1 Cook 1 50 1", "1 Cook 1 100 1", "2 Cook 1 100 0"}));
}

TEST(UT_Interrupt, OneServerPerProcess)
{
    UT_Interrupt *server = UTgetInterrupt();
    EXPECT_EQ(server, UTgetInterrupt());
    UT_AutoInterrupt scope("Default server");
    EXPECT_EQ(scope.getInterrupt(), server);
    EXPECT_EQ(server->getActiveMessage(), "Default server");
}
