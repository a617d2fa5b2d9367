#include "pfc_exceptions.h"

#include "cxx_boundary.h"
#include "pfc_string.h"
#include "shared_api.h"

namespace pfc {

exception_bug_check_v2::exception_bug_check_v2() {
    growing_string8 message("Bug check");
    const char* path = cxx_boundary::call_out([] { return uGetCallStackPath(); });
    if (path != nullptr && path[0] != 0) {
        message.append_text(" (at: ");
        message.append_text(path);
        message.append_text(")");
    }
    m_message.assign(message.text(), message.length());
}

}  // namespace pfc
