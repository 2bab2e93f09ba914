#include "DataMessage.h"
#include "MessageQueue.h"
#include "strell_exception.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <set>
#include <thread>

using strell::CDataMessage;
typedef CMessageQueue<CDataMessage, 128> Queue;
typedef CMessageQueueSync<Queue, CDataMessage> SyncQueue;

namespace {

CDataMessage numbered(int n)
{
    return CDataMessage(&n, sizeof n);
}

int numberOf(const CDataMessage& m)
{
    int n = -1;
    if (m.length() == sizeof n)
        memcpy(&n, m.data(), sizeof n);
    return n;
}

} // namespace

TEST(CDataMessage, CopiesShareTheBufferAndCompareByBytes)
{
    const char bytes[] = {1, 2, 3, 4};
    CDataMessage a(bytes, 4);
    CDataMessage b = a;
    EXPECT_EQ(a.data(), b.data());
    EXPECT_NE(static_cast<const void*>(a.data()), static_cast<const void*>(bytes));
    EXPECT_TRUE(a.sameBytes(CDataMessage(bytes, 4)));
    EXPECT_FALSE(a.sameBytes(CDataMessage(bytes, 3)));
    EXPECT_TRUE(CDataMessage().sameBytes(CDataMessage(bytes, 0)));
    EXPECT_FALSE(CDataMessage().sameBytes(a));
}

TEST(CMessageQueue, KeepsTheNewest128InOrder)
{
    Queue queue;
    for (int i = 1; i <= 130; ++i)
        queue.AddMessage(numbered(i));
    EXPECT_EQ(queue.size(), 128);
    CDataMessage m;
    for (int expected = 3; expected <= 130; ++expected) {
        ASSERT_TRUE(queue.GetMsg(m));
        EXPECT_EQ(numberOf(m), expected);
    }
    CDataMessage untouched = numbered(77);
    EXPECT_FALSE(queue.GetMsg(untouched));
    EXPECT_EQ(numberOf(untouched), 77);
    EXPECT_TRUE(queue.IsEmpty());
}

TEST(CMessageQueue, ContextTextAndBlockingConstructionRefused)
{
    Queue queue;
    EXPECT_EQ(queue.GetContext(), "");
    queue.SetContext("outgoing");
    EXPECT_EQ(queue.GetContext(), "outgoing");
    try {
        Queue blocking(true);
        FAIL();
    } catch (const strell::exception& e) {
        EXPECT_EQ(e.text().rfind("Assertion \"!blocking\" failed ", 0), 0u) << e.text();
        const std::string suffix = ":CMessageQueue<class strell::CDataMessage,128>::__ctor\"]";
        EXPECT_EQ(e.text().substr(e.text().size() - suffix.size()), suffix) << e.text();
    }
}

TEST(CMessageQueueSync, OverCountAfterOverflowThenBlocks)
{
    SyncQueue queue(true, "test");
    for (int i = 1; i <= 130; ++i)
        queue.AddMessage(numbered(i));
    CDataMessage m;
    for (int expected = 3; expected <= 130; ++expected) {
        ASSERT_TRUE(queue.GetMsg(m));
        EXPECT_EQ(numberOf(m), expected);
    }
    // The semaphore counted 130 adds: two more gets return at once without a message.
    EXPECT_FALSE(queue.GetMsg(m));
    EXPECT_FALSE(queue.GetMsg(m));
    // The third waits until something arrives.
    std::future<int> third = std::async(std::launch::async, [&] {
        CDataMessage got;
        return queue.GetMsg(got) ? numberOf(got) : -1;
    });
    EXPECT_EQ(third.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    queue.AddMessage(numbered(500));
    ASSERT_EQ(third.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(third.get(), 500);
}

TEST(CMessageQueueSync, NonBlockingGetNeverWaitsNorPrints)
{
    SyncQueue queue(false, "test");
    testsupport::StdoutCapture out;
    CDataMessage m;
    EXPECT_FALSE(queue.GetMsg(m));
    queue.AddMessage(numbered(1));
    EXPECT_TRUE(queue.GetMsg(m, false));
    EXPECT_FALSE(queue.GetMsg(m, false));
    EXPECT_EQ(out.text(), "");
    // The count of the add is still there for a blocking get, which finds nothing.
    EXPECT_FALSE(queue.GetMsgFor(m, 0));
    EXPECT_FALSE(queue.GetMsgFor(m, 0)) << "no further count";
}

TEST(CMessageQueueSync, ClearLeavesCountsThatBlockingGetsConsume)
{
    SyncQueue queue(true, "test");
    queue.AddMessage(numbered(1));
    queue.AddMessage(numbered(2));
    queue.AddMessage(numbered(3));
    queue.Clear();
    EXPECT_TRUE(queue.IsEmpty());
    CDataMessage m;
    EXPECT_FALSE(queue.GetMsg(m));
    EXPECT_FALSE(queue.GetMsg(m));
    EXPECT_FALSE(queue.GetMsg(m));
    EXPECT_FALSE(queue.GetMsgFor(m, 100)) << "blocks once the counts are used up";
    queue.SetContext("c");
    EXPECT_EQ(queue.GetContext(), "c");
}

namespace {
struct DropLog {
    SyncQueue* queue = nullptr;
    std::vector<int> dropped;
    bool lockFreeDuringCallback = true;
};

bool onDrop(int event, void* argument, void* context)
{
    DropLog* log = static_cast<DropLog*>(context);
    EXPECT_EQ(event, QUEUE_EVENT_MESSAGE_DROPPED);
    log->dropped.push_back(numberOf(*static_cast<CDataMessage*>(argument)));
    // Another thread must get the queue's lock now.
    std::future<bool> other = std::async(std::launch::async, [log] { return log->queue->IsEmpty(); });
    if (other.wait_for(std::chrono::seconds(5)) != std::future_status::ready)
        log->lockFreeDuringCallback = false;
    return true;
}
} // namespace

TEST(CMessageQueueSync, DroppedMessageRaisesEventZeroOutsideTheLock)
{
    SyncQueue queue(true, "test");
    DropLog log;
    log.queue = &queue;
    queue.SetNotificationCallback(&onDrop, &log);
    for (int i = 1; i <= 131; ++i)
        queue.AddMessage(numbered(i));
    EXPECT_EQ(log.dropped, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(log.lockFreeDuringCallback);

    // The unlocked queue raises the same event itself.
    Queue plain;
    std::vector<int> plainDrops;
    plain.SetNotificationCallback(
        [](int, void* argument, void* context) {
            static_cast<std::vector<int>*>(context)->push_back(numberOf(*static_cast<CDataMessage*>(argument)));
            return true;
        },
        &plainDrops);
    for (int i = 1; i <= 129; ++i)
        plain.AddMessage(numbered(i));
    EXPECT_EQ(plainDrops, std::vector<int>{1});
}

namespace {
std::atomic<int> g_Drops{0};
bool countDrop(int, void*, void*)
{
    ++g_Drops;
    return true;
}
} // namespace

TEST(CMessageQueueSync, ProducersAndConsumerLoseNothingUnreported)
{
    SyncQueue queue(true, "test");
    g_Drops = 0;
    queue.SetNotificationCallback(&countDrop, nullptr);
    const int producers = 4, perProducer = 3000;
    std::atomic<bool> producing{true};
    std::multiset<int> received;
    std::thread consumer([&] {
        CDataMessage m;
        for (;;) {
            if (queue.GetMsgFor(m, 50))
                received.insert(numberOf(m));
            else if (!producing && queue.IsEmpty())
                return;
        }
    });
    std::vector<std::thread> threads;
    for (int p = 0; p < producers; ++p)
        threads.emplace_back([&, p] {
            for (int i = 0; i < perProducer; ++i)
                queue.AddMessage(numbered(p * perProducer + i));
        });
    for (auto& t : threads)
        t.join();
    producing = false;
    consumer.join();
    EXPECT_EQ(static_cast<int>(received.size()) + g_Drops.load(), producers * perProducer);
    // No message arrived twice.
    EXPECT_EQ(std::set<int>(received.begin(), received.end()).size(), received.size());
}
