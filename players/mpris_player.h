// A player on the bus, as the follower keeps it: what it last said (its state) and the calls that
// ask it. Every call is asynchronous; its answer only updates the state. A read that fails or is
// not answered is asked again later, until the player answers or leaves.
#pragma once

#include <sdbus-c++/sdbus-c++.h>

#include <cstdint>
#include <memory>
#include <string>

#include "player_state.h"
#include "reply_context.h"
#include "retried_read.h"

namespace keylume_players {

class mpris_player {
public:
    // `replies` outlives the player. Throws sdbus::Error for an owner sd-bus does not take.
    mpris_player(sdbus::IConnection& connection, const reply_context& replies, std::string name, std::string owner,
                 int rank);
    mpris_player(const mpris_player&) = delete;
    mpris_player& operator=(const mpris_player&) = delete;

    player_state& state() { return m_state; }
    const player_state& state() const { return m_state; }
    const std::string& owner() const { return m_owner; }

    // Asks for all its player properties again / for its position, as soon as no such call is out.
    void want_state() { m_state_read.want(); }
    void want_position() { m_position_read.want(); }
    // Sends at most one due read; false when none was due.
    bool send_due_read();

    // A command of org.mpris.MediaPlayer2.Player without arguments (PlayPause, Next, ...).
    void command(const std::string& method);
    void seek(int64_t microseconds);

private:
    void read_state();
    void read_position();
    template <typename Call>
    void send_read(retried_read& read, Call&& call);

    const reply_context& m_replies;
    player_state m_state;
    std::string m_owner;  // its unique name, which its signals come from
    retried_read m_state_read;
    retried_read m_position_read;
    // Last, so that it goes first: its calls still out are cancelled with it.
    std::unique_ptr<sdbus::IProxy> m_proxy;
};

}  // namespace keylume_players
