// Compound-file packing through GsfOutfileMSOle on a GsfOutputMemory.
#include "sheet/core/Ole2Writer.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>

#include <memory>

#include "engine/KestrelError.h"
#include "sheet/core/GLibLogCapture.h"

namespace kestrel {
namespace {

struct GObjectUnref {
    void operator()(void* object) const {
        if (object) g_object_unref(object);
    }
};
using OutputPtr = std::unique_ptr<GsfOutput, GObjectUnref>;
using OutfilePtr = std::unique_ptr<GsfOutfile, GObjectUnref>;

// libgsf reports through the output's error and through GLib's log; both go into the message.
[[noreturn]] void fail(GsfOutput* output, const char* what, const GLibLogCapture& log) {
    const GError* error = output ? gsf_output_error(output) : nullptr;
    std::string message = std::string("the compound file could not be built (") + what;
    if (error && error->message) message += std::string(": ") + error->message;
    if (!log.joined().empty()) message += "; " + log.joined();
    throw KestrelError(message + ")");
}

// libgsf takes the length as a size_t but is happiest with moderate chunks.
void writeAll(GsfOutput* out, std::string_view content, const GLibLogCapture& log) {
    constexpr size_t kChunk = 1 << 20;
    for (size_t done = 0; done < content.size(); done += kChunk) {
        const size_t n = std::min(kChunk, content.size() - done);
        if (!gsf_output_write(out, n, reinterpret_cast<const guint8*>(content.data() + done))) {
            fail(out, "writing the stream", log);
        }
    }
}

}  // namespace

void withCompoundFile(const std::string& streamName, const std::vector<std::string_view>& pieces,
                      const std::function<void(std::string_view file)>& use) {
    const GLibLogCapture log;
    OutputPtr memory(gsf_output_memory_new());
    if (!memory) fail(nullptr, "no memory output", log);
    OutfilePtr ole(gsf_outfile_msole_new(memory.get()));
    if (!ole) fail(memory.get(), "no compound file writer", log);
    {
        OutputPtr stream(gsf_outfile_new_child(ole.get(), streamName.c_str(), FALSE));
        if (!stream) fail(GSF_OUTPUT(ole.get()), "creating the stream", log);
        for (const std::string_view piece : pieces) writeAll(stream.get(), piece, log);
        if (!gsf_output_close(stream.get())) fail(stream.get(), "closing the stream", log);
    }
    if (!gsf_output_close(GSF_OUTPUT(ole.get())))
        fail(GSF_OUTPUT(ole.get()), "closing the file", log);
    const gsf_off_t size = gsf_output_size(memory.get());
    const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory.get()));
    if (size <= 0 || !bytes) fail(memory.get(), "empty result", log);
    use(std::string_view(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size)));
}

std::string buildCompoundFile(const std::string& streamName, std::string_view content) {
    std::string file;
    withCompoundFile(streamName, {content}, [&](std::string_view bytes) { file = bytes; });
    return file;
}

}  // namespace kestrel
