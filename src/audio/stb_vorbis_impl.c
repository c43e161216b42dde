/* stb_vorbis_impl.c -- Debian's stb_vorbis (public domain) compiled in: the push API only, no stdio.
 *
 * Its memory comes from the Ogg reader's own heap (ogg_reader.cpp), which
 * frees whatever a decoder that gave up on a broken file left behind and
 * caps what one file may take. */
#include <stdlib.h>
#include <string.h>
#include <assert.h>
#include <math.h>
#if defined(__MINGW32__)
#include <malloc.h>
#else
#include <alloca.h>
#endif

void* Ogg_HeapAlloc(size_t size);
void Ogg_HeapFree(void* block);
#define malloc(size) Ogg_HeapAlloc(size)
#define free(block) Ogg_HeapFree(block)

#define STB_VORBIS_NO_PULLDATA_API
#define STB_VORBIS_NO_STDIO
#include "stb_vorbis.h"
