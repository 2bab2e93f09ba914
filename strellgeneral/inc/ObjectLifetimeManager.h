#pragma once
// Process-wide singletons of the library: created lazily under one creation lock and registered with
// the lifetime manager, whose dependency tree can free them in dependency order. Nothing frees them at
// process end; registered singletons live until the process ends unless freeAll is called.

#include "strell_pthread.h"
#include "strell_trace.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

// An object the lifetime manager can free: deleting it frees what it stands for.
class IFree {
public:
    virtual ~IFree() = default;
};

// Frees a proxy of type P.
template <class P>
class CIFreeAdapter : public IFree {
public:
    explicit CIFreeAdapter(P* proxy) : m_Proxy(proxy) {}
    ~CIFreeAdapter() override { delete m_Proxy; }
    CIFreeAdapter(const CIFreeAdapter&) = delete;
    CIFreeAdapter& operator=(const CIFreeAdapter&) = delete;

private:
    P* m_Proxy;
};

// Elements with the objects they depend on. Processing visits every element once, each one before the
// elements it depends on, so that an object is still alive while the objects using it are freed.
template <class E, class ThreadingPolicy>
class CDependencyTree {
public:
    struct Node {
        E element;
        std::set<E> dependsOn; // elements this one uses
        std::set<E> usedBy;    // elements that use this one
    };

    virtual ~CDependencyTree() = default;

    virtual void reportCyclicDependencies()
    {
        static const char text[] =
            "ERROR::CDependencyTree::ProcessNodesAndClearAll - Could not solve dependency tree. (cyclic dependencies)";
        strell::debugOutput(text);
        std::fputs(text, stderr);
        std::fflush(stderr);
    }

    virtual void processNode(E element) { strell::trace("%p\n", static_cast<const void*>(element)); }

    bool contains(E element) const { return m_Nodes.count(element) != 0; }
    // Exchanges the elements with another tree; neither tree's lock is taken.
    void swap(CDependencyTree& other) { m_Nodes.swap(other.m_Nodes); }
    size_t size() const { return m_Nodes.size(); }

    void addNode(E element)
    {
        typename ThreadingPolicy::ProxyType lock(m_Lock, "CDependencyTree-addNode");
        nodeOf(element);
    }

    // Declares that object uses dependency: dependency is processed after object.
    void addDependency(E object, E dependency)
    {
        typename ThreadingPolicy::ProxyType lock(m_Lock, "CDependencyTree-addDependency");
        nodeOf(object).dependsOn.insert(dependency);
        nodeOf(dependency).usedBy.insert(object);
    }

    // Processes every element whose users are all processed, until none is left. Elements caught in a
    // cycle are reported and discarded without processing. The tree is empty afterwards.
    void ProcessNodesAndClearAll()
    {
        std::map<E, Node> nodes;
        {
            typename ThreadingPolicy::ProxyType lock(m_Lock, "CDependencyTree-ProcessNodesAndClearAll");
            nodes.swap(m_Nodes);
        }
        std::map<E, size_t> users;
        std::vector<E> ready;
        for (const auto& entry : nodes) {
            users[entry.first] = entry.second.usedBy.size();
            if (entry.second.usedBy.empty())
                ready.push_back(entry.first);
        }
        size_t processed = 0;
        while (!ready.empty()) {
            const E element = ready.back();
            ready.pop_back();
            processNode(element);
            ++processed;
            for (const E& dependency : nodes[element].dependsOn)
                if (--users[dependency] == 0)
                    ready.push_back(dependency);
        }
        if (processed != nodes.size())
            reportCyclicDependencies();
    }

protected:
    Node& nodeOf(E element)
    {
        auto found = m_Nodes.find(element);
        if (found == m_Nodes.end())
            found = m_Nodes.emplace(element, Node{element, {}, {}}).first;
        return found->second;
    }

    typename ThreadingPolicy::LockType m_Lock;
    std::map<E, Node> m_Nodes;
};

// The manager's tree: processing a node deletes the registered object.
class CMyDependencyTree : public CDependencyTree<IFree*, CUnlockedThreading> {
public:
    void processNode(IFree* element) override { delete element; }
};

// Base of the free proxies: destroying one frees its singleton.
class CLifetimeManagedSingletonFreeProxyBase {
public:
    virtual ~CLifetimeManagedSingletonFreeProxyBase() = default;
};

// The one process-wide manager (created on first use, alive until process exit).
template <class ThreadingPolicy>
class CObjectLifetimeManager {
public:
    typedef typename ThreadingPolicy::LockType Lock;
    typedef typename ThreadingPolicy::ProxyType Proxy;

    static CObjectLifetimeManager& instance()
    {
        static CObjectLifetimeManager manager;
        return manager;
    }

    // The lock under which singletons are created (taken before the tree's lock).
    Lock& creationLock() { return m_CreationLock; }

    // Adds the proxy's adapter to the tree once.
    void registerObject(CLifetimeManagedSingletonFreeProxyBase* proxy)
    {
        Proxy lock(m_TreeLock, "CObjectLifetimeManager-register");
        CIFreeAdapter<CLifetimeManagedSingletonFreeProxyBase>*& adapter = m_Adapters[proxy];
        if (!adapter)
            adapter = new CIFreeAdapter<CLifetimeManagedSingletonFreeProxyBase>(proxy);
        if (!m_Tree.contains(adapter))
            m_Tree.addNode(adapter);
    }

    bool isRegistered(CLifetimeManagedSingletonFreeProxyBase* proxy)
    {
        Proxy lock(m_TreeLock, "CObjectLifetimeManager-isRegistered");
        auto found = m_Adapters.find(proxy);
        return found != m_Adapters.end() && m_Tree.contains(found->second);
    }

    // Frees every registered singleton in dependency order. No other thread may use them meanwhile;
    // a later instance access creates a new one.
    void freeAll()
    {
        Proxy creation(m_CreationLock, "CObjectLifetimeManager-freeAll");
        CMyDependencyTree tree;
        {
            Proxy lock(m_TreeLock, "CObjectLifetimeManager-freeAll");
            m_Tree.swap(tree);
            // The proxies die with their adapters; a new proxy at the same address gets a new adapter.
            m_Adapters.clear();
        }
        tree.ProcessNodesAndClearAll();
    }

private:
    CObjectLifetimeManager() = default;
    // At process exit the nodes are discarded without processing: no registered singleton is freed.
    ~CObjectLifetimeManager() = default;

    Lock m_TreeLock;
    CMyDependencyTree m_Tree;
    Lock m_CreationLock;
    std::map<CLifetimeManagedSingletonFreeProxyBase*, CIFreeAdapter<CLifetimeManagedSingletonFreeProxyBase>*> m_Adapters;
};

typedef CObjectLifetimeManager<CSharedObjectThreading> CLifetimeManager;

// Writes the start-up line of a singleton class once, during static initialisation.
struct CLifetimeManagedSingletonStartup {
    CLifetimeManagedSingletonStartup() noexcept;
};

// Base of a lifetime-managed singleton S: instance() creates S once, under the manager's creation lock.
template <class S, class ThreadingPolicy = CSharedObjectThreading>
class CLifetimeManagedSingletonBase {
public:
    static S* instance()
    {
        S* existing = s_Instance.load(std::memory_order_acquire);
        if (existing)
            return existing;
        typedef CObjectLifetimeManager<ThreadingPolicy> Manager;
        typename Manager::Proxy lock(Manager::instance().creationLock(), "CLifetimeManagedSingletonBase-instance");
        existing = s_Instance.load(std::memory_order_acquire);
        if (!existing) {
            existing = new S();
            s_Instance.store(existing, std::memory_order_release);
        }
        return existing;
    }

    static bool exists() { return s_Instance.load(std::memory_order_acquire) != nullptr; }

protected:
    CLifetimeManagedSingletonBase()
    {
        (void)&s_Startup;
        if (!s_FreeProxy)
            s_FreeProxy = new CFreeProxy(&CLifetimeManagedSingletonBase::freeInstance);
        CObjectLifetimeManager<ThreadingPolicy>::instance().registerObject(s_FreeProxy);
        strell::trace("%s::create singleton(%X)\n", "", static_cast<unsigned>(reinterpret_cast<uintptr_t>(this)));
    }
    virtual ~CLifetimeManagedSingletonBase()
    {
        strell::trace("%s::destroy singleton(%X)\n", "", static_cast<unsigned>(reinterpret_cast<uintptr_t>(this)));
    }
    CLifetimeManagedSingletonBase(const CLifetimeManagedSingletonBase&) = delete;
    CLifetimeManagedSingletonBase& operator=(const CLifetimeManagedSingletonBase&) = delete;

private:
    class CFreeProxy : public CLifetimeManagedSingletonFreeProxyBase {
    public:
        explicit CFreeProxy(void (*callback)()) : m_Callback(callback) {}
        ~CFreeProxy() override { m_Callback(); }

    private:
        void (*m_Callback)();
    };

    static void freeInstance()
    {
        S* existing = s_Instance.load(std::memory_order_acquire);
        if (existing)
            delete existing;
        s_Instance.store(nullptr, std::memory_order_release);
        s_FreeProxy = nullptr;
    }

    static std::atomic<S*> s_Instance;
    static CFreeProxy* s_FreeProxy;
    static CLifetimeManagedSingletonStartup s_Startup;
};

template <class S, class P>
std::atomic<S*> CLifetimeManagedSingletonBase<S, P>::s_Instance{nullptr};
template <class S, class P>
typename CLifetimeManagedSingletonBase<S, P>::CFreeProxy* CLifetimeManagedSingletonBase<S, P>::s_FreeProxy = nullptr;
template <class S, class P>
CLifetimeManagedSingletonStartup CLifetimeManagedSingletonBase<S, P>::s_Startup;
