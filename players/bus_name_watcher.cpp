#include "bus_name_watcher.h"

#include <algorithm>
#include <utility>

#include "mpris_names.h"

namespace keylume_players {

const std::string bus_name_watcher::match_rule =
    "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
    "member='NameOwnerChanged',arg0namespace='org.mpris.MediaPlayer2'";

bus_name_watcher::bus_name_watcher(sdbus::IProxy& bus, const player_preferences& wanted, const reply_context& replies)
    : m_bus(bus), m_wanted(wanted), m_replies(replies) {
    m_names_read.want();
}

void bus_name_watcher::name_owner_changed(sdbus::Message& signal) {
    std::string name, old_owner, new_owner;
    signal >> name >> old_owner >> new_owner;
    if (m_wanted.rank(name) >= 0) m_changes.push_back({std::move(name), std::move(new_owner)});
}

int bus_name_watcher::send_due_calls(int budget) {
    int sent = 0;
    if (sent < budget && m_names_read.due(m_replies.now)) list_names(), ++sent;
    for (; sent < budget && !m_lookups.empty(); ++sent) {
        ask_owner(m_lookups.back());
        m_lookups.pop_back();
    }
    return sent;
}

std::vector<name_change> bus_name_watcher::take_changes() { return std::exchange(m_changes, {}); }

void bus_name_watcher::list_names() {
    m_names_read.sent();
    try {
        m_bus.callMethodAsync("ListNames")
            .onInterface(bus_name)
            .withTimeout(call_timeout)
            .uponReplyInvoke([this](const sdbus::Error* error, const std::vector<std::string>& names) {
                m_replies.contained([&] {
                    if (error) return m_names_read.failed(m_replies.now);
                    m_names_read.answered();
                    keep_lookups(names);
                });
            });
    } catch (const sdbus::Error&) {
        m_names_read.failed(m_replies.now);
    }
}

// The wanted names of a ListNames reply, the most preferred most_lookups of them, kept so that the
// most preferred is asked first (from the back).
void bus_name_watcher::keep_lookups(const std::vector<std::string>& names) {
    std::vector<std::pair<int, const std::string*>> wanted;
    for (const std::string& name : names)
        if (const int rank = m_wanted.rank(name); rank >= 0) wanted.emplace_back(rank, &name);
    const std::size_t kept = std::min(wanted.size(), most_lookups);
    std::partial_sort(wanted.begin(), wanted.begin() + static_cast<std::ptrdiff_t>(kept), wanted.end());
    m_lookups.clear();
    for (std::size_t i = kept; i-- > 0;) m_lookups.push_back(*wanted[i].second);
}

void bus_name_watcher::ask_owner(const std::string& name) {
    try {
        m_bus.callMethodAsync("GetNameOwner")
            .onInterface(bus_name)
            .withTimeout(call_timeout)
            .withArguments(name)
            .uponReplyInvoke([this, name](const sdbus::Error* error, const std::string& owner) {
                // A name without an owner has gone again, which its owner change says too.
                m_replies.contained([&] {
                    if (!error) m_changes.push_back({name, owner});
                });
            });
    } catch (const sdbus::Error&) {
        // the bus is lost, which the next dispatch reports
    }
}

}  // namespace keylume_players
