// wow64_probe_win32.cpp -- a 32-bit Windows program that only starts and ends: can Wine run 32-bit code natively here?
//
// scripts/wine-run32.sh runs it once per prefix. Under WoW64 the 64-bit
// loader runs 32-bit code in a 32-bit code segment; on a kernel without one
// the program faults before main and the script falls back to an emulated CPU.
int main() { return sizeof(void*) == 4 ? 0 : 1; }
