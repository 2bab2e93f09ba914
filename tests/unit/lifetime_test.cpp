#include "ObjectLifetimeManager.h"
#include "strell_exception.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

class Recorder : public CDependencyTree<const char*, CUnlockedThreading> {
public:
    std::vector<std::string> order;
    int cycleReports = 0;
    void processNode(const char* element) override { order.push_back(element); }
    void reportCyclicDependencies() override { ++cycleReports; }
};

} // namespace

TEST(CDependencyTree, ProcessesUsersBeforeWhatTheyUseAndEmpties)
{
    Recorder tree;
    const char* log = "log";
    const char* client = "client";
    const char* app = "app";
    tree.addDependency(app, client);
    tree.addDependency(client, log);
    tree.addDependency(app, log);
    tree.addNode(log); // already there: no second node
    EXPECT_EQ(tree.size(), 3u);
    tree.ProcessNodesAndClearAll();
    EXPECT_EQ(tree.order, (std::vector<std::string>{"app", "client", "log"}));
    EXPECT_EQ(tree.cycleReports, 0);
    EXPECT_EQ(tree.size(), 0u);
}

TEST(CDependencyTree, CycleIsReportedAndItsMembersAreNotProcessed)
{
    Recorder tree;
    const char* a = "a";
    const char* b = "b";
    const char* free = "free";
    tree.addDependency(a, b);
    tree.addDependency(b, a);
    tree.addNode(free);
    tree.ProcessNodesAndClearAll();
    EXPECT_EQ(tree.order, std::vector<std::string>{"free"});
    EXPECT_EQ(tree.cycleReports, 1);
    EXPECT_EQ(tree.size(), 0u);
    tree.ProcessNodesAndClearAll(); // nothing left, nothing processed twice
    EXPECT_EQ(tree.order.size(), 1u);
}

TEST(CDependencyTree, DefaultReportAndNodeOutput)
{
    CDependencyTree<const char*, CUnlockedThreading> tree;
    const char* a = "a";
    const char* b = "b";
    tree.addDependency(a, b);
    tree.addDependency(b, a);
    testsupport::DebugOutputCapture debug;
    tree.ProcessNodesAndClearAll();
    EXPECT_EQ(debug.joined(), "ERROR::CDependencyTree::ProcessNodesAndClearAll - Could not solve dependency tree. "
                              "(cyclic dependencies)");

    testsupport::StdoutCapture out;
    tree.addNode(a);
    tree.ProcessNodesAndClearAll();
    char expected[32];
    snprintf(expected, sizeof expected, "%p\n", static_cast<const void*>(a));
    EXPECT_EQ(out.text(), expected);
}

namespace {

std::atomic<int> g_Constructed{0};
std::atomic<int> g_Destroyed{0};
std::atomic<bool> g_FailNext{false};

class Counted : public CLifetimeManagedSingletonBase<Counted> {
public:
    Counted()
    {
        if (g_FailNext.exchange(false))
            throw strell::exception("construction failed");
        Sleep(50); // widens the window for a second creator
        ++g_Constructed;
    }
    ~Counted() override { ++g_Destroyed; }
};

std::string hexAddress(const void* p)
{
    char buffer[32];
    snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(p)));
    return buffer;
}

} // namespace

TEST(LifetimeManagedSingleton, CreatedOnceUnderConcurrentFirstUseRegisteredAndFreed)
{
    CLifetimeManager::instance().freeAll();
    const int constructed = g_Constructed, destroyed = g_Destroyed;
    testsupport::StdoutCapture out;
    std::vector<Counted*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&seen, i] { seen[i] = Counted::instance(); });
    for (auto& t : threads)
        t.join();
    for (Counted* p : seen)
        EXPECT_EQ(p, seen[0]);
    EXPECT_EQ(g_Constructed - constructed, 1);
    EXPECT_TRUE(Counted::exists());

    CLifetimeManager::instance().freeAll();
    EXPECT_EQ(g_Destroyed - destroyed, 1);
    EXPECT_FALSE(Counted::exists());

    Counted* second = Counted::instance();
    EXPECT_EQ(g_Constructed - constructed, 2);
    CLifetimeManager::instance().freeAll();
    EXPECT_EQ(g_Destroyed - destroyed, 2);

    const std::string text = out.text();
    EXPECT_NE(text.find("::create singleton(" + hexAddress(seen[0]) + ")\n"), std::string::npos) << text;
    EXPECT_NE(text.find("::destroy singleton(" + hexAddress(seen[0]) + ")\n"), std::string::npos) << text;
    EXPECT_NE(text.find("::create singleton(" + hexAddress(second) + ")\n"), std::string::npos) << text;
}

TEST(LifetimeManagedSingleton, FailedConstructionLeavesNoInstanceAndReportsDestroy)
{
    testsupport::StdoutCapture out;
    g_FailNext = true;
    EXPECT_THROW(Counted::instance(), strell::exception);
    EXPECT_FALSE(Counted::exists());
    EXPECT_NE(out.text().find("::destroy singleton("), std::string::npos);
    Counted* p = Counted::instance();
    EXPECT_NE(p, nullptr);
    EXPECT_EQ(Counted::instance(), p);
}
