#include "platform/posix/system_calls.h"

namespace qb {

// Constant-initialised: the table holds the C library's functions before
// any code runs.
SystemCalls& System() {
    static SystemCalls calls;
    return calls;
}

}  // namespace qb
