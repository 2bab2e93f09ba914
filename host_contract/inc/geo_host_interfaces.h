#pragma once
// The map host's COM interfaces as this plug-in sees them, and the plug-in interface that the host calls.
//
// The interface identifiers are the host's. The method order inside each interface is our own
// declaration and is fixed here, in this one header: the plug-in and the simulated host of the tests
// both compile against it. Every method returns an HRESULT; "OK" is a result that is neither negative
// nor S_FALSE. Texts are BSTRs, numbers 32-bit.

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

namespace geohost {

// A position on the map as the host delivers it: the first two fields are the coordinates in the
// host's order; the third is carried along unchanged (the host uses it for the height).
struct GeoPoint {
    double first;
    double second;
    double height;
};
static_assert(sizeof(GeoPoint) == 24, "the host's position record has 24 bytes");

// Values of the menu item state call.
const long kItemSelectable = 2;
const long kItemGreyed = 4;

// Graphic type of a line for IGeoApplication2::CreateGraphic.
const long kGraphicLine = 4;

// Mouse event types.
const long kMouseMoved = 1;
const long kMouseClicked = 2;
const long kMouseCancel = 4;

// Answers of the plug-in in the out parameter of the event slots.
const long kEventHandled = 2;
const long kEventNotHandled = 1;

struct IGeoMenu;
struct IGeoCoordinates;
struct IGeoDocument;
struct IGeoMap;
struct IGeoGraphic;

// Application object, given to the plug-in at initialisation.
struct IGeoApplication : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetMenuInterface(IGeoMenu** menu) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCoordinates(IGeoCoordinates** coordinates) = 0;
    // S_FALSE and a null document: no document is open.
    virtual HRESULT STDMETHODCALLTYPE GetActiveDocument(IGeoDocument** document) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowMessage(BSTR text, BSTR caption) = 0;
    virtual HRESULT STDMETHODCALLTYPE WriteSetting(BSTR section, BSTR key, BSTR text) = 0;
};

// Second application interface: the available maps and graphic creation.
struct IGeoApplication2 : IUnknown {
    // S_FALSE or a null map: there is no (further) map.
    virtual HRESULT STDMETHODCALLTYPE GetFirstMap(IGeoMap** map) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNextMap(IGeoMap** map) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateGraphic(long type, IGeoGraphic** graphic) = 0;
};

// Plug-in control of the application, called once with the plug-in identifier and -1 after the
// plug-in has built its menu.
struct IGeoPlugInControl : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Call(long plugInId, long value) = 0;
};

// Menus. Menu handles are the host's 32-bit numbers.
struct IGeoMenu : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetMenu(long index, long* menu) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateMenu(long* menu) = 0;
    // A separator is an item without texts and with command id 0.
    virtual HRESULT STDMETHODCALLTYPE AddItem(long plugInId, long menu, BSTR helpText, long commandId,
                                              BSTR caption) = 0;
    virtual HRESULT STDMETHODCALLTYPE InsertPopup(long menuBar, long popup, long position, BSTR caption) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetItemState(long plugInId, long commandId, long state) = 0;
};

// Companion of IGeoMenu, obtained from it.
struct IGeoMenu2 : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE DeleteMenu(long popup) = 0;
};

// Graphics: a graphic object offers the first three interfaces, the last two when it has them.
struct IGeoGraphic : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetCoordinates(long count, GeoPoint* points) = 0;
    virtual HRESULT STDMETHODCALLTYPE AttachToDocument(IGeoDocument* document) = 0;
    virtual HRESULT STDMETHODCALLTYPE Detach() = 0;
};

struct IGeoGraphicPen : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetPenSize(long size) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetColor(long red, long green, long blue) = 0;
};

struct IGeoGraphicFlags : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetFlagA(long value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFlagB(long value) = 0;
};

// Further graphic interfaces; held when offered, not called.
struct IGeoGraphicExtension : IUnknown {};
struct IGeoGraphicExtension2 : IUnknown {};

// Documents: passed back to the host when a graphic is attached.
struct IGeoDocument : IUnknown {};
struct IGeoDocument2 : IUnknown {};

// Coordinate service: map coordinates to view positions and back.
struct IGeoCoordinates : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE MapToView(GeoPoint* point, long* x, long* y) = 0;
};

struct IGeoCoordinates2 : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE ViewToMap(long x, long y, long height, GeoPoint* point) = 0;
};

// One available map.
struct IGeoMap : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetName(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDataPath(BSTR* path) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCorners(GeoPoint* corner1, GeoPoint* corner2, GeoPoint* corner3,
                                                 GeoPoint* corner4) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetScale(long* scale) = 0;
};

// Event objects.
struct IGeoMenuEvent : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetCommandId(long* id) = 0;
};

struct IGeoMouseEvent : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetEventType(long* type) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPosition(GeoPoint* position) = 0;
};

// Information object of the class "GeoApp.GeoPluginInfo", filled by the plug-in.
struct IGeoPlugInInfo : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetName(BSTR name) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLegalText(BSTR text) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDescription(BSTR description) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetNumbers(long first, long second) = 0;
};

// The plug-in interface, implemented by the plug-in and called by the host. The notification slots
// take the host's event objects, which the plug-in does not look into.
struct IGeoPlugIn : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Initialize(IGeoApplication* application, long plugInId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Terminate() = 0;
    virtual HRESULT STDMETHODCALLTYPE HandleMenuEvent(IGeoMenuEvent* event, long* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE HandleMouseEvent(IGeoMouseEvent* event, long* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE HandleGraphicEvent(IUnknown* event, long* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE HandleOverlayEvent(IUnknown* event, long* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE HandleGroupEvent(IUnknown* event, long* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE HandleViewEvent(IUnknown* event, long* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPlugInInfo(IGeoPlugInInfo** info) = 0;
};

// Identifiers. The host's own where it has given them; ours for the interfaces it hands over directly.
const IID IID_IGeoPlugIn = {0x14FE34A0, 0x2CD0, 0x11D3, {0xB5, 0x7B, 0x00, 0x00, 0xB4, 0x52, 0x7B, 0xAE}};
const IID IID_IGeoApplication = {0x904D6435, 0xC411, 0x47B1, {0x84, 0x43, 0x51, 0x3B, 0xEC, 0x2C, 0xC3, 0xD2}};
const IID IID_IGeoApplication2 = {0xF600C817, 0xA8D7, 0x4DB0, {0xB0, 0x8F, 0xAC, 0x92, 0x82, 0xB9, 0x7F, 0xE7}};
const IID IID_IGeoPlugInControl = {0x1AD99D95, 0xB493, 0x4780, {0x97, 0xE9, 0x1C, 0xFF, 0xDD, 0x92, 0xF7, 0x90}};
const IID IID_IGeoMenu = {0x00F3459C, 0x9F24, 0x4763, {0xAF, 0xBE, 0x98, 0x8D, 0x3A, 0x75, 0x8D, 0x47}};
const IID IID_IGeoMenu2 = {0x61F27916, 0x147A, 0x11D5, {0xBC, 0xFF, 0x00, 0xC0, 0x4F, 0x8A, 0xA7, 0x4B}};
const IID IID_IGeoGraphic = {0x16E87AC4, 0x8099, 0x11D3, {0x9D, 0xAF, 0x00, 0x10, 0x5A, 0x6B, 0x22, 0xB9}};
const IID IID_IGeoGraphicPen = {0x14A9AE10, 0x44EA, 0x11D3, {0x81, 0x74, 0x00, 0x60, 0x08, 0x59, 0x56, 0x00}};
const IID IID_IGeoGraphicFlags = {0x14A9AE11, 0x44EA, 0x11D3, {0x81, 0x74, 0x00, 0x60, 0x08, 0x59, 0x56, 0x00}};
const IID IID_IGeoGraphicExtension = {0x61F27911, 0x147A, 0x11D5, {0xBC, 0xFF, 0x00, 0xC0, 0x4F, 0x8A, 0xA7, 0x4B}};
const IID IID_IGeoGraphicExtension2 = {0xFB42C688, 0xD27A, 0x41C8, {0xA6, 0x3C, 0x6F, 0x33, 0xFA, 0xB4, 0xC0, 0xF5}};
const IID IID_IGeoDocument = {0x367418FA, 0x14EB, 0x419A, {0x8A, 0xFE, 0xF4, 0x22, 0xF1, 0xD1, 0xA3, 0x6A}};
const IID IID_IGeoDocument2 = {0xEFD655AF, 0xA8F6, 0x41F9, {0xB6, 0xAE, 0xEB, 0x86, 0x19, 0xB3, 0x03, 0xCC}};
const IID IID_IGeoCoordinates = {0xEE086849, 0xDFC5, 0x4E9B, {0x92, 0x79, 0xF4, 0x93, 0x9C, 0x6A, 0xC8, 0xC9}};
const IID IID_IGeoCoordinates2 = {0xEE98CACF, 0x3E68, 0x414B, {0x9E, 0x12, 0xF8, 0xD9, 0x59, 0xF4, 0x6E, 0x0B}};
const IID IID_IGeoMap = {0xCAA49804, 0x9B36, 0x4C26, {0xB5, 0x42, 0xDE, 0x64, 0xAA, 0x7B, 0x62, 0x6A}};
const IID IID_IGeoMenuEvent = {0x7CAEFF46, 0x0140, 0x4BFC, {0x88, 0xD7, 0x15, 0xA6, 0x3D, 0x94, 0x0B, 0x38}};
const IID IID_IGeoMouseEvent = {0x7156B254, 0x25D0, 0x4F6E, {0x8E, 0xEA, 0x3F, 0xF9, 0x9A, 0x74, 0x98, 0xC3}};
const IID IID_IGeoPlugInInfo = {0xE073AC60, 0x42B4, 0x11D3, {0xB5, 0x7C, 0x00, 0x00, 0xB4, 0x52, 0x7B, 0xAE}};

// Class of the host's graphic objects, created directly when IGeoApplication2 is missing.
const CLSID CLSID_GeoGraphic = {0xE98DFE10, 0x7FED, 0x11D3, {0x9D, 0xAF, 0x00, 0x10, 0x5A, 0x6B, 0x22, 0xB9}};
// Programmatic identifier of the host's plug-in information class.
const wchar_t* const kPlugInInfoProgId = L"GeoApp.GeoPluginInfo";

} // namespace geohost
