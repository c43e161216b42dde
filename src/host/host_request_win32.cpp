// host_request_win32.cpp -- requests to the host as WM_USER messages.
#include "host/host_request_win32.h"

LRESULT SendHostRequest(HWND hostWindow, HostRequest request, WPARAM wParam) {
  if (hostWindow == nullptr) return 0;
  return SendMessageA(hostWindow, WM_USER, wParam, LPARAM(request));
}
