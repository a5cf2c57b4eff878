#include "console/Main.h"

int main(int argc, char** argv) {
  return kestrix::RunMain(argc, argv);
}
