#include "player_choice.h"

#include <tuple>

namespace keylume_players {

namespace {

bool candidate(const player_state& player) {
    return player.status == playback_status::playing || player.status == playback_status::paused;
}

}  // namespace

player_state* choose_player(std::span<player_state* const> players, const player_state* followed) {
    auto order = [followed](const player_state& player) {
        return std::make_tuple(player.rank, player.status != playback_status::playing, !player.started_playing,
                               &player != followed);
    };
    player_state* chosen = nullptr;
    for (player_state* player : players)
        if (candidate(*player) && (!chosen || order(*player) < order(*chosen))) chosen = player;
    return chosen;
}

}  // namespace keylume_players
