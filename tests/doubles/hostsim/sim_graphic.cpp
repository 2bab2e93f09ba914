#include "sim_graphic.h"

#include "host_call.h"
#include "stringex.h"

using namespace geohost;

namespace hostsim {

CSimGraphic::CSimGraphic(CHostState& host, long type) : m_Host(host), m_Record(std::make_shared<GraphicRecord>())
{
    m_Record->id = static_cast<int>(host.graphics.size()) + 1;
    m_Record->type = type;
    host.graphics.push_back(m_Record);
}

CSimGraphic::~CSimGraphic()
{
    m_Record->released = true;
}

void* CSimGraphic::findInterface(REFIID iid)
{
    if (IsEqualIID(iid, IID_IGeoGraphic))
        return static_cast<IGeoGraphic*>(this);
    if (IsEqualIID(iid, IID_IGeoGraphicPen) && m_Host.offers.graphicPen)
        return static_cast<IGeoGraphicPen*>(this);
    if (IsEqualIID(iid, IID_IGeoGraphicFlags) && m_Host.offers.graphicFlags)
        return static_cast<IGeoGraphicFlags*>(this);
    if (IsEqualIID(iid, IID_IGeoGraphicExtension) && m_Host.offers.graphicExtensions)
        return static_cast<IGeoGraphicExtension*>(this);
    if (IsEqualIID(iid, IID_IGeoGraphicExtension2) && m_Host.offers.graphicExtensions)
        return static_cast<IGeoGraphicExtension2*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE CSimGraphic::SetCoordinates(long count, GeoPoint* points)
{
    std::string arguments = std::to_string(count);
    for (long i = 0; points && i < count; ++i)
        arguments += " " + m_Host.viewText(points[i]);
    CHostCall call(m_Host, "Graphic.SetCoordinates", arguments);
    if (call.failed())
        return call.finish(call.injected());
    if (count < 0 || (count > 0 && !points))
        return call.finish(E_INVALIDARG);
    m_Record->points.assign(points, points + count);
    return call.finish(S_OK, "graphic " + std::to_string(id()));
}

HRESULT STDMETHODCALLTYPE CSimGraphic::AttachToDocument(IGeoDocument* document)
{
    CHostCall call(m_Host, "Graphic.AttachToDocument", document ? "document" : "null");
    if (call.failed())
        return call.finish(call.injected());
    if (!document)
        return call.finish(E_POINTER);
    m_Record->document = CHostState::kDocument;
    return call.finish(S_OK, "graphic " + std::to_string(id()));
}

HRESULT STDMETHODCALLTYPE CSimGraphic::Detach()
{
    CHostCall call(m_Host, "Graphic.Detach");
    if (call.failed())
        return call.finish(call.injected());
    m_Record->document = 0;
    return call.finish(S_OK, "graphic " + std::to_string(id()));
}

HRESULT STDMETHODCALLTYPE CSimGraphic::SetPenSize(long size)
{
    CHostCall call(m_Host, "Graphic.SetPenSize", std::to_string(size));
    if (call.failed())
        return call.finish(call.injected());
    m_Record->penSize = size;
    return call.finish(S_OK, "graphic " + std::to_string(id()));
}

HRESULT STDMETHODCALLTYPE CSimGraphic::SetColor(long red, long green, long blue)
{
    CHostCall call(m_Host, "Graphic.SetColor", strell::formatString("%ld, %ld, %ld", red, green, blue));
    if (call.failed())
        return call.finish(call.injected());
    m_Record->red = red;
    m_Record->green = green;
    m_Record->blue = blue;
    return call.finish(S_OK, "graphic " + std::to_string(id()));
}

HRESULT STDMETHODCALLTYPE CSimGraphic::SetFlagA(long value)
{
    CHostCall call(m_Host, "Graphic.SetFlagA", std::to_string(value));
    if (call.failed())
        return call.finish(call.injected());
    m_Record->flagA = value;
    return call.finish(S_OK, "graphic " + std::to_string(id()));
}

HRESULT STDMETHODCALLTYPE CSimGraphic::SetFlagB(long value)
{
    CHostCall call(m_Host, "Graphic.SetFlagB", std::to_string(value));
    if (call.failed())
        return call.finish(call.injected());
    m_Record->flagB = value;
    return call.finish(S_OK, "graphic " + std::to_string(id()));
}

} // namespace hostsim
