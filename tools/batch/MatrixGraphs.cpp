// Loading the matrix graph writer from the graph plugin.
#include "tools/batch/MatrixGraphs.h"

#include "engine/KestrelError.h"
#include "tools/batch/BatchGraphs.h"
#include "tools/batch/plugin/MatrixGraphsPlugin.h"

namespace kestrel::batch {

MatrixGraphWriter loadMatrixGraphsIfAsked([[maybe_unused]] const MatrixSettings& settings) {
#ifdef KESTREL_BATCH_GRAPHS
    if (!settings.graphs) return {};
    auto* write = reinterpret_cast<MatrixGraphsFunction*>(batchGraphsEntry(kMatrixGraphsSymbol));
    return [write](const ProfileMatrix& matrix, const MdsMap& map, const std::string& folder,
                   const std::string& format) {
        char message[512] = {};
        if (write(&matrix, &map, folder.c_str(), format.c_str(), message, sizeof message) != 0) {
            throw KestrelError(message);
        }
    };
#else
    return {};
#endif
}

}  // namespace kestrel::batch
