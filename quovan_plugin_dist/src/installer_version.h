#pragma once
// Version of the installer in its version resource; the same as its --version line.

#define QUOVAN_DIST_VERSION_TEXT "1.95"
#define QUOVAN_DIST_FILE_VERSION 1, 95, 0, 0
