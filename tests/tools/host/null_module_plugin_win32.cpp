// null_module_plugin_win32.cpp -- a plug-in whose header gives no module, for the harness's tests.
#include <cstddef>

struct NullHeader {
  int version;
  const char* description;
  void* (*getModule)(int);
};

static void* NoModule(int) { return nullptr; }

static NullHeader header = {0x100, "gives no module", NoModule};

extern "C" __declspec(dllexport) NullHeader* winampVisGetHeader(void) { return &header; }
