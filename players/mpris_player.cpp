#include "mpris_player.h"

#include <chrono>
#include <utility>

#include "mpris_names.h"

namespace keylume_players {

mpris_player::mpris_player(sdbus::IConnection& connection, const reply_context& replies, std::string name,
                           std::string owner, int rank)
    : m_replies(replies), m_owner(std::move(owner)), m_proxy(sdbus::createProxy(connection, m_owner, player_object)) {
    m_state.name = std::move(name);
    m_state.rank = rank;
    m_state_read.want();
}

bool mpris_player::send_due_read() {
    if (m_position_read.due(m_replies.now)) {
        read_position();
        return true;
    }
    if (m_state_read.due(m_replies.now)) {
        read_state();
        return true;
    }
    return false;
}

// Sends a read's call; one that cannot be sent counts as failed.
template <typename Call>
void mpris_player::send_read(retried_read& read, Call&& call) {
    read.sent();
    try {
        call();
    } catch (const sdbus::Error&) {
        read.failed(m_replies.now);
    }
}

void mpris_player::read_state() {
    send_read(m_state_read, [&] {
        m_proxy->callMethodAsync("GetAll")
            .onInterface(properties_interface)
            .withTimeout(call_timeout)
            .withArguments(player_interface)
            .uponReplyInvoke([this](const sdbus::Error* error, const mpris_metadata& properties) {
                m_replies.contained([&] {
                    if (error) return m_state_read.failed(m_replies.now);
                    m_state_read.answered();
                    m_state.take_properties(properties, m_replies.now);
                });
            });
    });
}

void mpris_player::read_position() {
    send_read(m_position_read, [&] {
        m_proxy->callMethodAsync("Get")
            .onInterface(properties_interface)
            .withTimeout(call_timeout)
            .withArguments(player_interface, "Position")
            .uponReplyInvoke([this](const sdbus::Error* error, const sdbus::Variant& position) {
                m_replies.contained([&] {
                    if (error) return m_position_read.failed(m_replies.now);
                    m_position_read.answered();
                    m_state.take_properties({{"Position", position}}, m_replies.now);
                });
            });
    });
}

void mpris_player::command(const std::string& method) {
    try {
        m_proxy->callMethod(method).onInterface(player_interface).dontExpectReply();
    } catch (const sdbus::Error&) {
        // the player left; the name change says so at the next poll
    }
}

void mpris_player::seek(int64_t microseconds) {
    try {
        m_proxy->callMethod("Seek").onInterface(player_interface).withArguments(microseconds).dontExpectReply();
    } catch (const sdbus::Error&) {
        // the player left; the name change says so at the next poll
    }
}

}  // namespace keylume_players
