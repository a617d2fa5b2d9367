#include "playlist_builder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "track_file.h"

namespace keylume_sim {

namespace {

namespace fs = std::filesystem;
using keylume_players::playlist_entry;

fs::path path_of(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string text_of(const fs::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The first bytes of a file, enough to see its first entry.
std::string head_of(const std::string& path) {
    std::ifstream in(path_of(path), std::ios::binary);
    std::string head(4096, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return head;
}

class builder {
public:
    explicit builder(const std::function<void(const std::string&)>& skipped) : m_skipped(skipped) {}

    void add(const std::string& input) {
        std::error_code error;
        if (fs::is_directory(path_of(input), error)) {
            size_t before = m_entries.size();
            add_folder(path_of(input));
            if (m_entries.size() == before) m_skipped(input + ": no audio files in this folder");
        } else {
            add_file(input);
        }
    }

    std::vector<playlist_entry> take() { return std::move(m_entries); }

private:
    void add_file(const std::string& path) {
        if (looks_like_playlist_description(head_of(path))) {
            try {
                std::vector<playlist_entry> entries = keylume_players::load_playlist(path);
                if (entries.empty()) m_skipped(path + ": the playlist has no tracks");
                for (playlist_entry& entry : entries) m_entries.push_back(std::move(entry));
            } catch (const keylume_players::playlist_error& error) {
                m_skipped(std::string(error.what()) + " (playlist skipped)");
            }
            return;
        }
        try {
            playlist_entry entry;
            entry.track = keylume_players::read_track_file(path);
            m_entries.push_back(std::move(entry));
        } catch (const keylume_players::track_file_error& error) {
            m_skipped(std::string(error.what()) + " (skipped)");
        }
    }

    void add_folder(const fs::path& folder) {
        std::error_code error;
        std::vector<fs::path> children;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
            if (!it->path().filename().u8string().starts_with(u8".")) children.push_back(it->path());
        if (error) {
            m_skipped(text_of(folder) + ": cannot read the folder: " + error.message());
            return;
        }
        std::sort(children.begin(), children.end(), [](const fs::path& a, const fs::path& b) {
            return a.filename().u8string() < b.filename().u8string();
        });
        for (const fs::path& child : children) {
            if (fs::is_directory(child, error))
                add_folder(child);
            else if (keylume_players::has_audio_file_extension(text_of(child)))
                add_file(text_of(child));
        }
    }

    const std::function<void(const std::string&)>& m_skipped;
    std::vector<playlist_entry> m_entries;
};

}  // namespace

bool looks_like_playlist_description(const std::string& text) {
    std::string_view rest = text;
    if (rest.starts_with("\xEF\xBB\xBF")) rest.remove_prefix(3);
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string_view::npos || line[first] == '#') continue;
        line = line.substr(first);
        line = line.substr(0, line.find_last_not_of(" \t\r") + 1);
        if (line.size() != 7 || line.front() != '[' || line.back() != ']') return false;
        std::string name(line.substr(1, 5));
        for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return name == "track";
    }
    return false;
}

std::vector<playlist_entry> build_playlist(const std::vector<std::string>& inputs,
                                           const std::function<void(const std::string&)>& skipped) {
    builder playlist(skipped);
    for (const std::string& input : inputs) playlist.add(input);
    std::vector<playlist_entry> entries = playlist.take();
    if (entries.empty()) {
        std::string given;
        for (const std::string& input : inputs) given += (given.empty() ? "" : ", ") + input;
        throw nothing_to_play("nothing to play: none of " + given + " holds a readable audio file or playlist track");
    }
    return entries;
}

}  // namespace keylume_sim
