// kestrel-batch: compares the two profiles of a workbook without a window, for scripts and for
// many workbooks at once.
#include <cstdio>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "engine/CriticalValueTable.h"
#include "engine/KestrelError.h"
#include "engine/MessageText.h"
#include "tools/batch/AgesMatrixRun.h"
#include "tools/batch/AgesRun.h"
#include "tools/batch/AgesSettings.h"
#include "tools/batch/BatchGraphs.h"
#include "tools/batch/BatchOptions.h"
#include "tools/batch/BatchRun.h"
#include "tools/batch/BatchSettings.h"
#include "tools/batch/DataFolder.h"
#include "tools/batch/DepositionalRun.h"
#include "tools/batch/FigureRun.h"
#include "tools/batch/HeapReserve.h"
#include "tools/batch/MatrixGraphs.h"
#include "tools/batch/MatrixRun.h"
#include "tools/batch/UnmixingRun.h"

namespace {

int fail(const std::string& message, int status) {
    std::cout.flush();
    // One line, whatever a file name or a library put into the message.
    std::cerr << "kestrel-batch: " << kestrel::messageExcerpt(message, message.size()) << std::endl;
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kestrel::batch;
    keepFreedMemoryForReuse();
    std::ios::sync_with_stdio(false);
    try {
        const BatchOptions options =
            parseBatchOptions(std::vector<std::string>(argv + 1, argv + argc));
        reserveHeapForWorkbook(options.workbook);
        if (options.help) {
            std::cout << batchUsage();
            return 0;
        }
        if (options.ages && wantsUnmixing(options)) {
            runUnmixing(checkAgesOptions(options, {}), std::cout, std::cerr);
            std::cout.flush();
            return std::cout.good() ? 0 : fail("cannot write to standard output", 1);
        }
        if (options.ages && wantsFigures(options)) {
            const AgesSettings settings = checkAgesOptions(options, {});
            runFigures(settings, std::cout, std::cerr, loadFigureWriterIfAsked(settings));
            std::cout.flush();
            return std::cout.good() ? 0 : fail("cannot write to standard output", 1);
        }
        if (options.ages && wantsDepositional(options)) {
            runDepositional(checkAgesOptions(options, {}), std::cout, std::cerr);
            std::cout.flush();
            return std::cout.good() ? 0 : fail("cannot write to standard output", 1);
        }
        if (options.ages && options.matrix) {
            const AgesSettings settings = checkAgesOptions(options, {});
            MatrixSettings graphs;
            graphs.graphs = settings.run.graphs;
            runAgesMatrix(settings, std::cout, std::cerr, loadMatrixGraphsIfAsked(graphs));
            std::cout.flush();
            return std::cout.good() ? 0 : fail("cannot write to standard output", 1);
        }
        if (wantsMatrix(options)) {
            const MatrixSettings settings = checkMatrixOptions(options);
            runMatrix(settings, std::cout, std::cerr, loadMatrixGraphsIfAsked(settings));
            std::cout.flush();
            return std::cout.good() ? 0 : fail("cannot write to standard output", 1);
        }
        const std::string defaultTable = kestrel::criticalValueTablePath(programDataFolder());
#ifdef KESTREL_BATCH_GRAPHS
        const GraphWriter graphs = options.graphs ? loadBatchGraphs() : GraphWriter{};
#else
        const GraphWriter graphs;
#endif
        if (options.ages) {
            runAges(checkAgesOptions(options, defaultTable), std::cout, std::cerr, graphs);
        } else {
            runBatch(checkBatchOptions(options, defaultTable), std::cout, std::cerr, graphs);
        }
        std::cout.flush();
        return std::cout.good() ? 0 : fail("cannot write the window log to standard output", 1);
    } catch (const UsageError& error) {
        return fail(error.message + " (see kestrel-batch --help)", 2);
    } catch (const kestrel::KestrelError& error) {
        return fail(error.what(), 1);
    } catch (const std::bad_alloc&) {
        return fail("not enough memory for this workbook", 1);
    } catch (const std::exception& error) {
        return fail(error.what(), 1);
    }
}
