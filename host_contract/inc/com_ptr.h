#pragma once
// A counted COM reference: adds a reference when it takes a pointer, releases it when it lets go.

#include <windows.h>
#include <objbase.h>

#include <utility>

template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    // Takes the pointer and adds a reference of its own.
    explicit ComPtr(T* pointer) noexcept : m_Pointer(pointer)
    {
        if (m_Pointer)
            m_Pointer->AddRef();
    }
    ComPtr(const ComPtr& other) noexcept : ComPtr(other.m_Pointer) {}
    ComPtr(ComPtr&& other) noexcept : m_Pointer(std::exchange(other.m_Pointer, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(m_Pointer, other.m_Pointer);
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const noexcept { return m_Pointer; }
    T* operator->() const noexcept { return m_Pointer; }
    explicit operator bool() const noexcept { return m_Pointer != nullptr; }

    void reset() noexcept
    {
        if (T* pointer = std::exchange(m_Pointer, nullptr))
            pointer->Release();
    }
    // For out parameters that deliver a pointer with a reference already added.
    T** put() noexcept
    {
        reset();
        return &m_Pointer;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }
    T* detach() noexcept { return std::exchange(m_Pointer, nullptr); }
    // Takes over a reference that the caller already holds.
    void attach(T* pointer) noexcept
    {
        reset();
        m_Pointer = pointer;
    }

    // Asks the object for another of its interfaces; an empty result when it has none.
    template <typename U>
    HRESULT queryFrom(U* object, REFIID iid) noexcept
    {
        reset();
        if (!object)
            return E_POINTER;
        const HRESULT hr = object->QueryInterface(iid, putVoid());
        if (FAILED(hr))
            m_Pointer = nullptr;
        return hr;
    }

private:
    T* m_Pointer = nullptr;
};
