// Routes GLib log messages of libgsf, GLib and GObject into a list while a capture is alive.
#include "sheet/packages/GLibLogCapture.h"

#include <glib.h>

#include "engine/MessageText.h"

namespace kestrel {

namespace {
// Domains that libgsf and the GLib type system log to. Messages of any other domain reach the
// default handler, which is replaced too.
constexpr const char* kDomains[] = {"libgsf", "libgsf:msole", "GLib", "GLib-GObject", "GLib-GIO"};
constexpr auto kAllLevels =
    static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION);

// The innermost live capture. GLib hands back the previous default handler without its data,
// so the handlers find their capture here rather than through their data pointer.
thread_local GLibLogCapture* t_current = nullptr;

void handleMessage(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
    if (t_current) GLibLogCapture::record(t_current, domain, static_cast<int>(level), message);
}
}  // namespace

GLibLogCapture::GLibLogCapture() : m_outer(t_current) {
    t_current = this;
    for (const char* domain : kDomains) {
        m_handlerIds.push_back(g_log_set_handler(domain, kAllLevels, handleMessage, nullptr));
    }
    m_previousDefault = reinterpret_cast<void*>(g_log_set_default_handler(handleMessage, nullptr));
}

GLibLogCapture::~GLibLogCapture() {
    for (size_t i = 0; i < m_handlerIds.size(); ++i) {
        g_log_remove_handler(kDomains[i], m_handlerIds[i]);
    }
    g_log_set_default_handler(reinterpret_cast<GLogFunc>(m_previousDefault), nullptr);
    t_current = m_outer;
}

void GLibLogCapture::record(GLibLogCapture* capture, const char* domain, int level,
                            const char* message) {
    (void)level;
    std::string text = message ? message : "";
    if (domain && *domain) text = std::string(domain) + ": " + text;
    capture->m_messages.push_back(std::move(text));
}

std::string GLibLogCapture::joined() const {
    std::string text;
    for (const auto& m : m_messages) {
        if (!text.empty()) text += "; ";
        text += m;
    }
    return text;
}

std::string GLibLogCapture::detail(const char* errorMessage) const {
    if (errorMessage && *errorMessage) return libraryDetail(errorMessage);
    for (const std::string& message : m_messages) {
        // "ole_seek_block: assertion 'block < ...' failed" speaks of the library's insides.
        if (message.find("assertion") != std::string::npos) continue;
        const size_t domainEnd = message.find(": ");
        return libraryDetail(domainEnd == std::string::npos ? message
                                                            : message.substr(domainEnd + 2));
    }
    return {};
}

std::string GLibLogCapture::reasonWithDetail(const std::string& reason,
                                             const char* errorMessage) const {
    const std::string text = detail(errorMessage);
    return text.empty() ? reason : reason + " (" + text + ")";
}

}  // namespace kestrel
