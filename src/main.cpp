#include "console/Main.h"

#ifdef _WIN32
// The Windows program reads and splits its UTF-16 command line itself.
int wmain(int, wchar_t**) {
  return kestrix::RunMain(0, nullptr);
}
#else
int main(int argc, char** argv) {
  return kestrix::RunMain(argc, argv);
}
#endif
