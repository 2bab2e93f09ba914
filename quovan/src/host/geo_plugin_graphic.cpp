#include "host/geo_plugin_graphic.h"

#include "host/error_table.h"
#include "host/geo_plugin_document.h"
#include "host/geo_plugin_exception.h"

using namespace geohost;

CGeoPlugInGraphic::CGeoPlugInGraphic(IGeoGraphic* graphic)
{
    HRESULT result = m_Graphic.queryFrom(graphic, IID_IGeoGraphic);
    if (SUCCEEDED(result))
        result = m_Pen.queryFrom(graphic, IID_IGeoGraphicPen);
    if (SUCCEEDED(result))
        result = m_Flags.queryFrom(graphic, IID_IGeoGraphicFlags);
    if (FAILED(result))
        throw CGeoPlugInException(geoerror::LineNotCreated, result);
    m_Extension.queryFrom(graphic, IID_IGeoGraphicExtension);
    m_Extension2.queryFrom(graphic, IID_IGeoGraphicExtension2);
}

std::unique_ptr<CGeoPlugInGraphic> CGeoPlugInGraphic::createLine(IGeoApplication2* application)
{
    ComPtr<IGeoGraphic> graphic;
    HRESULT result;
    if (application)
        result = application->CreateGraphic(kGraphicLine, graphic.put());
    else
        result = CoCreateInstance(CLSID_GeoGraphic, nullptr, CLSCTX_ALL, IID_IGeoGraphic, graphic.putVoid());
    checkHostResult(result, geoerror::LineNotCreated);
    if (!graphic)
        throw CGeoPlugInException(geoerror::LineNotCreated, S_FALSE);
    return std::make_unique<CGeoPlugInGraphic>(graphic.get());
}

void CGeoPlugInGraphic::setPenSize(long size)
{
    requireHostInterface(m_Pen.get());
    checkHostResult(m_Pen->SetPenSize(size), geoerror::PenSizeNotSet);
}

void CGeoPlugInGraphic::setColor(long red, long green, long blue)
{
    requireHostInterface(m_Pen.get());
    checkHostResult(m_Pen->SetColor(red, green, blue), geoerror::GraphicColorNotSet);
}

void CGeoPlugInGraphic::setFlagA(long value)
{
    requireHostInterface(m_Flags.get());
    checkHostResult(m_Flags->SetFlagA(value), geoerror::FlagNotSet);
}

void CGeoPlugInGraphic::setFlagB(long value)
{
    requireHostInterface(m_Flags.get());
    checkHostResult(m_Flags->SetFlagB(value), geoerror::FlagNotSet);
}

void CGeoPlugInGraphic::setCoordinates(std::vector<GeoPoint> points)
{
    requireHostInterface(m_Graphic.get());
    checkHostResult(m_Graphic->SetCoordinates(static_cast<long>(points.size()), points.data()),
                    geoerror::CoordinatesNotSet);
}

void CGeoPlugInGraphic::attach(const CGeoPlugInDocument& document)
{
    requireHostInterface(m_Graphic.get());
    requireHostInterface(document.document());
    checkHostResult(m_Graphic->AttachToDocument(document.document()), geoerror::DocumentNotAttached);
}

void CGeoPlugInGraphic::detach()
{
    requireHostInterface(m_Graphic.get());
    checkHostResult(m_Graphic->Detach(), geoerror::DocumentNotDetached);
}
