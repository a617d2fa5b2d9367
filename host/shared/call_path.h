// The host's call path, which uGetCallStackPath reports: the host enters a named step before
// calling into a component and leaves it afterwards.
#pragma once

extern "C" {
void shared_enter_call_path(const char* step);
void shared_leave_call_path();
}
