#pragma once

namespace kestrix {

// The whole program: banner, command line, reports. Returns the exit code.
int RunMain(int ArgumentCount, char** Arguments);

}  // namespace kestrix
