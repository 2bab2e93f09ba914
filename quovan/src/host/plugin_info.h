#pragma once
// The host's plug-in information: an object of the host's class "GeoApp.GeoPluginInfo" that the
// plug-in fills with its name, legal text, description and two numbers.

#include "geo_host_interfaces.h"

#include <string>

struct PlugInInfo {
    std::string name;
    std::string legalText;
    std::string description;
    long first;
    long second;
};

// Creates an object of the host's information class and asks it for the information interface.
HRESULT createPlugInInfoObject(geohost::IGeoPlugInInfo** info);
// Passes name, legal text, description (one call each), then both numbers; the first failure ends it.
HRESULT passPlugInInfo(geohost::IGeoPlugInInfo* info, const PlugInInfo& values);
