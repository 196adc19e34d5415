// The process-wide shared state record.
#include "app/KR_var.h"

namespace kestrel {

SharedState& sharedState() {
    static SharedState state;
    return state;
}

void resetSharedState() {
    sharedState() = SharedState{};
}

}  // namespace kestrel
