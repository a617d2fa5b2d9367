// Thread timers without a window (SetTimer with a null window and a TIMERPROC), fired from a
// pump at the time of a driven clock. Shared by the native platform layer and by the host's
// virtual clock on Windows, which redirects a module's SetTimer and KillTimer to one of these.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "win32.h"

namespace keylume_timers {

class timer_table {
public:
    // As SetTimer(nullptr, id, elapse, proc): an id naming a live timer resets that timer,
    // any other id is ignored and a new one is returned. 0 when there is no procedure.
    UINT_PTR set(UINT_PTR id, UINT elapse, TIMERPROC proc, DWORD now) {
        if (proc == nullptr) return 0;
        if (elapse < USER_TIMER_MINIMUM) elapse = USER_TIMER_MINIMUM;
        auto found = m_timers.find(id);
        if (found == m_timers.end()) {
            do id = m_next_id++;
            while (id == 0 || m_timers.count(id) != 0);
        }
        m_timers[id] = entry{elapse, now, proc};
        return id;
    }

    bool kill(UINT_PTR id) { return m_timers.erase(id) != 0; }

    // Calls the procedure of every timer whose period has run out at `now`, once, and starts its
    // next period at `now`, as a late WM_TIMER comes once however much was missed. A procedure
    // may set or kill timers. Returns how many were called.
    int run_due(DWORD now) {
        // The list of due timers keeps its memory from one run to the next (a procedure that
        // runs the timers itself gets a list of its own).
        std::vector<UINT_PTR> due = std::move(m_due);
        due.clear();
        for (const auto& timer : m_timers) {
            if (now - timer.second.started >= timer.second.elapse) due.push_back(timer.first);
        }
        int called = 0;
        for (UINT_PTR id : due) {
            auto found = m_timers.find(id);
            if (found == m_timers.end()) continue;  // killed by an earlier procedure
            found->second.started = now;
            TIMERPROC proc = found->second.proc;
            proc(nullptr, WM_TIMER, id, now);
            ++called;
        }
        m_due = std::move(due);
        return called;
    }

    size_t count() const { return m_timers.size(); }

private:
    struct entry {
        UINT elapse;
        DWORD started;
        TIMERPROC proc;
    };
    std::map<UINT_PTR, entry> m_timers;
    UINT_PTR m_next_id = 1;
    std::vector<UINT_PTR> m_due;
};

}  // namespace keylume_timers
