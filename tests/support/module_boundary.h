// Tests in which a C++ exception crosses between the host program and the component DLL. Every
// Windows module links its own C and C++ runtime; on i686 each also brings its own DWARF-2
// unwinder, which cannot unwind the other module's frames, so such an exception ends the process
// with "terminate called". There these tests are reported as not applicable; natively and on
// x86_64, whose SEH unwinding crosses modules, they run against the same DLL.
#pragma once

#include <gtest/gtest.h>

#if defined(_WIN32) && !defined(_WIN64)
#define SKIP_WHERE_EXCEPTIONS_CANNOT_CROSS_MODULES()                                                  \
    GTEST_SKIP() << ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() << "." \
                 << ::testing::UnitTest::GetInstance()->current_test_info()->name()                   \
                 << " is not applicable on i686: a C++ exception between the host and the "           \
                    "component ends the process (each module has its own DWARF-2 unwinder)"
#else
#define SKIP_WHERE_EXCEPTIONS_CANNOT_CROSS_MODULES() static_cast<void>(0)
#endif
