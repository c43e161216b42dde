// version.h -- the release's version: the modules' version resource and the package name.
#pragma once

#define STOMPARA_VERSION_NUMBERS 1, 1, 0, 0
#define STOMPARA_VERSION_TEXT "1.1.0"
