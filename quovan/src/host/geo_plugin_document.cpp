#include "host/geo_plugin_document.h"

#include "host/error_table.h"
#include "host/geo_plugin_exception.h"

using namespace geohost;

CGeoPlugInDocument::CGeoPlugInDocument(IGeoDocument* document) : m_Document(document)
{
    m_Document2.queryFrom(document, IID_IGeoDocument2);
}

std::unique_ptr<CGeoPlugInDocument> CGeoPlugInDocument::getActive(IGeoApplication* application)
{
    requireHostInterface(application);
    ComPtr<IGeoDocument> document;
    const HRESULT result = application->GetActiveDocument(document.put());
    // S_FALSE: no document is open.
    if (result == S_FALSE || (SUCCEEDED(result) && !document))
        return nullptr;
    checkHostResult(result, geoerror::DocumentNotAvailable);
    return std::make_unique<CGeoPlugInDocument>(document.get());
}
