#include "tests/support/StoppingProgress.h"

namespace tolvane::test {

void StoppingProgress::setStatusText(std::string_view text) {
    if (!text.empty()) {
        source_.request_stop();
    }
}

} // namespace tolvane::test
