// The one error type of Kestrel: a message a user can act on.
#pragma once

#include <stdexcept>
#include <string>

namespace kestrel {

/// @brief An error whose text is shown to the user as it stands (the general error report
/// appends "." when the text ends in a letter or digit). Name the file, and for cells the
/// cell's address, in the message.
class KestrelError : public std::runtime_error {
  public:
    explicit KestrelError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace kestrel
