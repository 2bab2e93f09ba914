#pragma once
// One message of the message queues: a shared byte buffer with its length. Copies share the buffer.

#include <boost/shared_array.hpp>

#include <cstring>

namespace strell {

class CDataMessage {
public:
    CDataMessage() : m_Length(0) {}
    // Copies the bytes into a new buffer.
    CDataMessage(const void* bytes, int length) : m_Length(length > 0 ? length : 0)
    {
        if (m_Length > 0) {
            m_Buffer.reset(new char[m_Length]);
            std::memcpy(m_Buffer.get(), bytes, m_Length);
        }
    }

    const char* data() const { return m_Buffer.get(); }
    int length() const { return m_Length; }
    // No buffer or no bytes.
    bool isEmpty() const { return !m_Buffer || m_Length <= 0; }

    // Equal when both are empty, or both hold the same bytes.
    bool sameBytes(const CDataMessage& other) const
    {
        if (isEmpty() || other.isEmpty())
            return isEmpty() && other.isEmpty();
        return m_Length == other.m_Length && std::memcmp(m_Buffer.get(), other.m_Buffer.get(), m_Length) == 0;
    }

private:
    boost::shared_array<char> m_Buffer;
    int m_Length;
};

} // namespace strell
