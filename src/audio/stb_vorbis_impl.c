/* stb_vorbis_impl.c -- Debian's stb_vorbis (public domain) compiled in: the push API only, no stdio. */
#define STB_VORBIS_NO_PULLDATA_API
#define STB_VORBIS_NO_STDIO
#include "stb_vorbis.h"
