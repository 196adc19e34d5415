// The error raised when a workbook file cannot be read: "Cannot read <file>: <reason>".
#pragma once

#include <string>

#include "engine/KestrelError.h"
#include "engine/MessageText.h"

namespace kestrel {

inline KestrelError readError(const std::string& fileName, const std::string& reason) {
    // One line, even for a file whose name holds a line break.
    const std::string message = "Cannot read " + fileName + ": " + reason;
    return KestrelError(messageExcerpt(message, message.size()));
}

}  // namespace kestrel
