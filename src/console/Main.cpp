#include "console/Main.h"

namespace kestrix {

int RunMain(int, char**) {
  return 0;
}

}  // namespace kestrix
