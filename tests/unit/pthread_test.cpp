#include "strell_exception.h"
#include "strell_pthread.h"
#include "strell_semaphore.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace {

// Runs fn on another thread; ready() tells whether it finished within the time.
class Attempt {
public:
    template <class F>
    explicit Attempt(F fn) : m_Thread([this, fn] {
        fn();
        m_Done.set_value();
    })
    {
    }
    ~Attempt() { m_Thread.join(); }
    bool finishedWithin(int ms) { return m_Future.wait_for(std::chrono::milliseconds(ms)) == std::future_status::ready; }

private:
    std::promise<void> m_Done;
    std::future<void> m_Future = m_Done.get_future();
    std::thread m_Thread;
};

} // namespace

TEST(Cpcondition, RecursiveForItsOwnerAndExclusiveForOthers)
{
    Cpcondition condition;
    condition.lock();
    condition.lock(); // does not block
    condition.unlock();
    {
        Attempt other([&] {
            condition.lock();
            condition.unlock();
        });
        EXPECT_FALSE(other.finishedWithin(200)) << "still locked once by the owner";
        condition.unlock();
        EXPECT_TRUE(other.finishedWithin(5000));
    }
}

TEST(CLockingProxy, ExceptionLeavingTheScopeReleasesTheLock)
{
    Cpcondition condition;
    try {
        CLockingProxy<Cpcondition> lock(condition, "test-scope");
        throw strell::exception("boom");
    } catch (const std::string& e) {
        EXPECT_EQ(e, "boom");
    }
    Attempt other([&] { CLockingProxy<Cpcondition> lock(condition, "other"); });
    const bool acquired = other.finishedWithin(5000);
    EXPECT_TRUE(acquired);
    if (!acquired)
        condition.unlock(); // let the waiter go so that the test ends
}

TEST(CSemaphore, WaitBlocksUntilRelease)
{
    strell::CSemaphore semaphore(0);
    EXPECT_FALSE(semaphore.wait(DWORD(0)));
    Attempt waiter([&] { semaphore.wait(); });
    EXPECT_FALSE(waiter.finishedWithin(200));
    semaphore.release();
    EXPECT_TRUE(waiter.finishedWithin(5000));
    EXPECT_FALSE(semaphore.wait(DWORD(0))) << "the one count was taken";
}

TEST(CSemaphore, FailuresAreAssertionReports)
{
    try {
        strell::CSemaphore invalid(-1);
        FAIL() << "negative initial count accepted";
    } catch (const strell::exception& e) {
        EXPECT_EQ(e.text().rfind("Assertion \"m_Semaphore!=0\" failed \"CSemaphore::CSemaphore() - CreateSemaphore "
                                 "failed, error 87\" [\"./src/strell_semaphore:",
                                 0),
                  0u)
            << e.text();
        EXPECT_NE(e.text().find(":strell::CSemaphore::CSemaphore\"]"), std::string::npos) << e.text();
    }
    strell::CSemaphore full(2147483647);
    try {
        full.release();
        FAIL() << "release beyond the maximum accepted";
    } catch (const strell::exception& e) {
        EXPECT_EQ(e.text().rfind("Assertion \"ret\" failed \"CSemaphore::release() - ReleaseSemaphore failed, error "
                                 "298\" [\"./src/strell_semaphore:",
                                 0),
                  0u)
            << e.text();
        EXPECT_NE(e.text().find(":strell::CSemaphore::release\"]"), std::string::npos) << e.text();
    }
}

namespace {
std::atomic<int> g_Calls{0};
void countCall(int** argument)
{
    if (*argument)
        g_Calls += **argument;
}
void blockForever(strell::CSemaphore** semaphore)
{
    (*semaphore)->wait();
}
void raise(int**)
{
    throw strell::exception("routine failed");
}
} // namespace

TEST(Cpworkitem, RunsRoutineBecomesIdleAndCanStartAgain)
{
    int value = 3;
    g_Calls = 0;
    Cpworkitem<int*> item(&countCall);
    EXPECT_TRUE(item.isIdle());
    item.start(&value);
    EXPECT_TRUE(item.wait(5000));
    EXPECT_TRUE(item.isIdle());
    EXPECT_EQ(g_Calls.load(), 3);
    item.start(&value);
    EXPECT_TRUE(item.stop(5000)) << "a returned routine ends by itself";
    EXPECT_EQ(g_Calls.load(), 6);
    // Destruction after the routine returned neither blocks nor fails.
}

TEST(Cpworkitem, StopTerminatesOnlyAfterTheWait)
{
    strell::CSemaphore never(0);
    Cpworkitem<strell::CSemaphore*> item(&blockForever);
    item.start(&never);
    EXPECT_FALSE(item.isIdle());
    EXPECT_FALSE(item.wait(100));
    EXPECT_FALSE(item.stop(100)) << "the routine never returns; the thread is terminated";
    EXPECT_TRUE(item.isIdle());

    // Woken in time, the routine ends by itself.
    item.start(&never);
    never.release();
    EXPECT_TRUE(item.stop(5000));
}

TEST(Cpworkitem, EscapingExceptionEndsTheThreadWithItsText)
{
    testsupport::StdoutCapture out;
    {
        Cpworkitem<int*> item(&raise);
        item.start(nullptr);
        EXPECT_TRUE(item.wait(5000));
        EXPECT_TRUE(item.isIdle());
    }
    EXPECT_NE(out.text().find("Exception routine failed\n"), std::string::npos) << out.text();
}
