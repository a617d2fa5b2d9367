// The players' names on the bus: those there already (ListNames, then the owner of each wanted
// one) and those that come and go (NameOwnerChanged). It never waits: its calls are asynchronous,
// sent a bounded number at a time, and what they and the signals tell is kept until taken.
#pragma once

#include <sdbus-c++/sdbus-c++.h>

#include <cstddef>
#include <string>
#include <vector>

#include "player_preferences.h"
#include "reply_context.h"
#include "retried_read.h"

namespace keylume_players {

// A wanted name got a new owner, or lost it (owner empty).
struct name_change {
    std::string name;
    std::string owner;
};

class bus_name_watcher {
public:
    // The signals of players that come and go.
    static const std::string match_rule;
    // The most names whose owners are looked up after ListNames; the most preferred are kept.
    static constexpr std::size_t most_lookups = 64;

    // `bus` is the bus's own object, org.freedesktop.DBus; it, `wanted` and `replies` outlive the
    // watcher.
    bus_name_watcher(sdbus::IProxy& bus, const player_preferences& wanted, const reply_context& replies);

    void name_owner_changed(sdbus::Message& signal);
    // Sends at most `budget` due calls; the number sent.
    int send_due_calls(int budget);
    // What changed since the last call, oldest first.
    std::vector<name_change> take_changes();

private:
    void list_names();
    void keep_lookups(const std::vector<std::string>& names);
    void ask_owner(const std::string& name);

    sdbus::IProxy& m_bus;
    const player_preferences& m_wanted;
    const reply_context& m_replies;
    retried_read m_names_read;
    std::vector<std::string> m_lookups;  // names whose owners are still to be asked, the most preferred first
    std::vector<name_change> m_changes;
};

}  // namespace keylume_players
