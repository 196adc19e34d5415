// The error raised when a workbook file cannot be read: "Cannot read <file>: <reason>".
#pragma once

#include <string>

#include "engine/KestrelError.h"

namespace kestrel {

inline KestrelError readError(const std::string& fileName, const std::string& reason) {
    return KestrelError("Cannot read " + fileName + ": " + reason);
}

}  // namespace kestrel
