#pragma once
// The host's active document, to which graphics are attached.

#include "com_ptr.h"
#include "geo_host_interfaces.h"

#include <memory>

class CGeoPlugInDocument {
public:
    explicit CGeoPlugInDocument(geohost::IGeoDocument* document);

    // The active document (error 54); null when the host has none open.
    static std::unique_ptr<CGeoPlugInDocument> getActive(geohost::IGeoApplication* application);

    geohost::IGeoDocument* document() const { return m_Document.get(); }

private:
    ComPtr<geohost::IGeoDocument> m_Document;
    ComPtr<geohost::IGeoDocument2> m_Document2; // when offered
};
