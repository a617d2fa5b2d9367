// Tests in which a C++ exception crosses between the host program and the component DLL. Every
// Windows module links its own C and C++ runtime; on i686 each also brings its own DWARF-2
// unwinder, which cannot unwind the other module's frames, so such an exception ends the process
// with "terminate called". There these tests are reported as not applicable; natively and on
// x86_64, whose SEH unwinding crosses modules, they run against the same DLL.
//
// Each such test's name ends with KEYLUME_ACROSS_MODULES_SUFFIX, which the macro checks on every
// target, so that one pattern names them all: scripts/test reads it from here to leave them out
// where a skip cannot be reported (Wine under qemu-i386).
#pragma once

#include <gtest/gtest.h>

#include <string_view>

#define KEYLUME_ACROSS_MODULES_SUFFIX "_across_modules"

namespace keylume_test {

inline bool named_as_crossing_modules() {
    const std::string_view name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    return name.ends_with(KEYLUME_ACROSS_MODULES_SUFFIX);
}

}  // namespace keylume_test

#if defined(_WIN32) && !defined(_WIN64)
#define KEYLUME_SKIP_ON_I686()                                                                        \
    GTEST_SKIP() << ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() << "." \
                 << ::testing::UnitTest::GetInstance()->current_test_info()->name()                   \
                 << " is not applicable on i686: a C++ exception between the host and the "           \
                    "component ends the process (each module has its own DWARF-2 unwinder)"
#else
#define KEYLUME_SKIP_ON_I686() static_cast<void>(0)
#endif

#define SKIP_WHERE_EXCEPTIONS_CANNOT_CROSS_MODULES()                                                    \
    do {                                                                                                \
        ASSERT_TRUE(::keylume_test::named_as_crossing_modules())                                        \
            << "a test in which an exception crosses modules is named *" KEYLUME_ACROSS_MODULES_SUFFIX; \
        KEYLUME_SKIP_ON_I686();                                                                         \
    } while (false)
