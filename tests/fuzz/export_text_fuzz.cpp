// The export request and its text. The input fills the request: the count, the area and then maps of
// name, file, corners and scale until the bytes run out. The text has one "name" pair first, one "map<i>"
// pair per map up to 64 in order, and the "area" pair last.
#include "export/export_request.h"
#include "export/export_text.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

class CBytes {
public:
    CBytes(const uint8_t* data, size_t size) : m_Data(data), m_Size(size) {}
    bool empty() const { return m_Position >= m_Size; }
    template <class T> T take()
    {
        T value{};
        const size_t count = std::min(sizeof value, m_Size - m_Position);
        std::memcpy(&value, m_Data + m_Position, count);
        m_Position += count;
        return value;
    }
    // Up to a NUL byte or 300 bytes, so that fields are also filled beyond their 255 characters.
    std::string text()
    {
        std::string result;
        while (!empty() && result.size() < 300) {
            const char c = static_cast<char>(m_Data[m_Position++]);
            if (c == '\0')
                break;
            result += c;
        }
        return result;
    }

private:
    const uint8_t* m_Data;
    size_t m_Size;
    size_t m_Position = 0;
};

std::vector<std::string> pairs(const std::string& text)
{
    std::vector<std::string> result;
    size_t start = 0;
    for (size_t end = text.find(';'); end != std::string::npos; start = end + 1, end = text.find(';', start))
        if (end > start)
            result.push_back(text.substr(start, end - start));
    if (start < text.size())
        result.push_back(text.substr(start));
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CBytes bytes(data, size);
    auto request = std::make_unique<CExportRequest>();
    const int32_t count = bytes.take<int32_t>();
    for (double& corner : request->area)
        corner = bytes.take<double>();
    while (!bytes.empty()) {
        CMapInfo map;
        setMapText(map.name, bytes.text());
        setMapText(map.file, mapFileFromDataPath(bytes.text()));
        for (double& corner : map.corners)
            corner = bytes.take<double>();
        map.scale = bytes.take<int32_t>();
        FUZZ_CHECK(std::strlen(map.name) < sizeof map.name && std::strlen(map.file) < sizeof map.file);
        const bool wasFull = request->full();
        FUZZ_CHECK(request->add(map) != wasFull);
    }
    FUZZ_CHECK(request->count <= CExportRequest::kMaxMaps);
    // A count beyond the maps held (a corrupt request) never reads past them.
    if (count < 0 || count > request->count)
        request->count = count;

    const std::string command = buildExportCommand(*request);
    const std::vector<std::string> parts = pairs(command);
    const int limit = CExportRequest::kMaxMaps;
    const int maps = request->count < 0 ? 0 : std::min(request->count, limit);
    FUZZ_CHECK(parts.size() == static_cast<size_t>(maps) + 2);
    FUZZ_CHECK(parts.front() == "name=druvexportmapex");
    for (int i = 0; i < maps; ++i)
        FUZZ_CHECK(parts[static_cast<size_t>(i) + 1].find("map" + std::to_string(i) + "=") == 0);
    FUZZ_CHECK(parts.back().find("area=") == 0);
    size_t names = 0;
    for (const std::string& part : parts) {
        names += part.compare(0, 5, "name=") == 0 ? 1 : 0;
        // No text of the host forges a field: one name, one value in every pair.
        FUZZ_CHECK(std::count(part.begin(), part.end(), '=') == 1);
        // Nor breaks the desktop program's line.
        FUZZ_CHECK(std::none_of(part.begin(), part.end(), [](char c) { return c >= '\x01' && c <= '\x1F'; }));
    }
    FUZZ_CHECK(names == 1);
    return 0;
}
