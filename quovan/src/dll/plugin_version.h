#pragma once
// Version and build stamp of the plug-in, shown in its About box and in its version resource.

#define QUOVAN_VERSION_TEXT "1.01"
#define QUOVAN_BUILD_DATE "17.02.2009"
#define QUOVAN_BUILD_TIME "10:37:16,19"
#define QUOVAN_FILE_VERSION 1, 1, 0, 0
