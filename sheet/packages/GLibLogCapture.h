// Captures GLib log messages (libgsf, GObject) while an object lives, so that a library never
// prints to the terminal and its complaints can become part of an error message.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

/// @brief While alive, every message logged through GLib by libgsf, GLib and GObject is
/// recorded instead of printed. The previous handlers are restored on destruction. Use on one
/// thread at a time; captures nest.
class GLibLogCapture {
  public:
    GLibLogCapture();
    ~GLibLogCapture();
    GLibLogCapture(const GLibLogCapture&) = delete;
    GLibLogCapture& operator=(const GLibLogCapture&) = delete;

    const std::vector<std::string>& messages() const { return m_messages; }
    /// @brief The messages joined with "; ", empty when there were none.
    std::string joined() const;
    /// @brief The library's own word on a failure, short and on one line (see libraryDetail):
    /// the error's message when there is one, else the first message logged that is not an
    /// internal assertion; empty when there is neither.
    std::string detail(const char* errorMessage = nullptr) const;
    /// @brief `reason`, followed by detail() in brackets when there is one.
    std::string reasonWithDetail(const std::string& reason,
                                 const char* errorMessage = nullptr) const;

    /// @brief Adds one message to `capture` (called by the installed GLib handlers).
    static void record(GLibLogCapture* capture, const char* domain, int level, const char* message);

  private:
    GLibLogCapture* m_outer;
    std::vector<std::string> m_messages;
    std::vector<unsigned> m_handlerIds;
    void* m_previousDefault = nullptr;
};

}  // namespace kestrel
