#pragma once
// A host graphic: the line that shows the export area on the map.

#include "com_ptr.h"
#include "geo_host_interfaces.h"

#include <memory>
#include <vector>

class CGeoPlugInDocument;

class CGeoPlugInGraphic {
public:
    // Takes the graphic's interfaces; one of the required ones missing is error 17.
    explicit CGeoPlugInGraphic(geohost::IGeoGraphic* graphic);

    // A new line graphic (error 17): made by the second application interface, or, where the host
    // does not offer it, as an object of the host's graphic class.
    static std::unique_ptr<CGeoPlugInGraphic> createLine(geohost::IGeoApplication2* application);

    void setPenSize(long size);                      // error 212
    void setColor(long red, long green, long blue);  // error 183
    void setFlagA(long value);                       // error 191
    void setFlagB(long value);                       // error 191
    void setCoordinates(std::vector<geohost::GeoPoint> points); // error 185
    void attach(const CGeoPlugInDocument& document); // error 7
    void detach();                                   // error 32

private:
    ComPtr<geohost::IGeoGraphic> m_Graphic;
    ComPtr<geohost::IGeoGraphicPen> m_Pen;
    ComPtr<geohost::IGeoGraphicFlags> m_Flags;
    ComPtr<geohost::IGeoGraphicExtension> m_Extension;   // when offered
    ComPtr<geohost::IGeoGraphicExtension2> m_Extension2; // when offered
};
