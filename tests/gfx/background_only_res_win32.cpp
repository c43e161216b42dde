// background_only_res_win32.cpp -- code part of the resource module with only the background.
extern "C" int backgroundOnlyMarker;
int backgroundOnlyMarker = 0;
