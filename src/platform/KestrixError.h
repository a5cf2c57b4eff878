#pragma once

#include <stdexcept>
#include <string>

namespace kestrix {

// The one error type of the program. The message is 8-bit text in the
// active code page; it is shown as "ERROR: <message>".
class EKestrixError : public std::runtime_error {
 public:
  explicit EKestrixError(const std::string& Message) : std::runtime_error(Message) {}
};

}  // namespace kestrix
