// kestrel-batch's plugins: what only some runs need (Qt for graph images, libgsf and libxml2 for
// .xlsx and .ods workbooks) lives in shared objects loaded when a run needs it, so every other
// run starts without mapping those libraries.
#pragma once

namespace kestrel::batch {

/// @brief The entry point `symbol` of the plugin file `pluginName`, found beside the program in
/// a build tree or in the library folder of an installed one; the plugin is loaded once and
/// kept. Throws KestrelError "cannot load <what> <path>: <reason>" when it or the entry point
/// cannot be found.
void* pluginEntry(const char* pluginName, const char* symbol, const char* what);

}  // namespace kestrel::batch
