// keylume-sim --follow with real players on a private session bus: mpv with its MPRIS plugin
// playing files made here, and, for bad input, a small player of the tests' own. Native only, as
// the simulator and D-Bus are.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "support/frame_rows.h"
#include "support/private_bus.h"
#include "support/sim_process.h"

namespace {

namespace fs = std::filesystem;
using keylume_test::end_program;
using keylume_test::frame_rows;
using keylume_test::rows;
using keylume_test::start_program;

// The longest any condition is waited for.
constexpr auto patience = std::chrono::seconds(20);
// An MP3 file of a minute.
constexpr int minute_of_frames = 2297;

// The areas of the playback view: the title and artist lines, the time fields with the progress bar.
rows title_line(const LcdBitmap& frame) { return frame_rows(frame, 0, 0, 160, 11); }
rows artist_line(const LcdBitmap& frame) { return frame_rows(frame, 0, 11, 160, 22); }
rows album_line(const LcdBitmap& frame) { return frame_rows(frame, 0, 22, 160, 31); }
rows time_fields(const LcdBitmap& frame) { return frame_rows(frame, 0, 31, 160, 43); }
rows position_field(const LcdBitmap& frame) { return frame_rows(frame, 0, 31, 40, 39); }

// The playback view: the progress bar's outline is drawn.
bool playback_view(const LcdBitmap& frame) {
    return frame_rows(frame, 0, 39, 160, 40)[0] == std::string(LCD_WIDTH, '#') &&
           frame_rows(frame, 0, 42, 160, 43)[0] == std::string(LCD_WIDTH, '#');
}

// Where the progress bar's block starts: 1 at position 0; -1 outside the playback view.
int bar_block(const LcdBitmap& frame) {
    if (!playback_view(frame)) return -1;
    for (int x = 1; x < LCD_WIDTH - 1; ++x)
        if (frame.pixels[40 * LCD_WIDTH + x]) return x;
    return -1;
}

// An internet radio station on a local port, as a player sees one: an MP3 stream at its bit rate
// with ICY metadata, whose title is announced in the metadata block after every 4000 bytes of
// audio (a quarter of a second at 128 kbps). It serves one listener.
class radio_station {
public:
    explicit radio_station(std::string title) : m_title(std::move(title)) {
        m_socket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        EXPECT_EQ(bind(m_socket, reinterpret_cast<sockaddr*>(&address), size), 0);
        EXPECT_EQ(listen(m_socket, 1), 0);
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { broadcast(); });
    }
    ~radio_station() {
        m_closing = true;
        shutdown(m_socket, SHUT_RDWR);
        m_thread.join();
        close(m_socket);
    }

    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/"; }
    void announce(const std::string& title) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_title = title;
    }

private:
    static constexpr size_t block = 4000;

    void broadcast() {
        const int listener = accept(m_socket, nullptr, nullptr);
        if (listener < 0) return;
        char request[4096];
        if (read(listener, request, sizeof request) > 0) {
            const std::string audio = keylume_test::mpeg_stream(static_cast<int>(block / 417 + 1), 1).substr(0, block);
            send_all(listener, "ICY 200 OK\r\ncontent-type: audio/mpeg\r\nicy-metaint: 4000\r\n\r\n");
            // A burst of half a second on connecting, as stations send, then the station's bit rate.
            auto next_block = std::chrono::steady_clock::now() - std::chrono::milliseconds(500);
            while (!m_closing && send_all(listener, audio) && send_all(listener, metadata_block())) {
                next_block += std::chrono::milliseconds(250);
                std::this_thread::sleep_until(next_block);
            }
        }
        close(listener);
    }

    // "StreamTitle='...';" padded to whole 16-byte units, after its length in units.
    std::string metadata_block() {
        std::lock_guard<std::mutex> lock(m_lock);
        std::string text = "StreamTitle='" + m_title + "';";
        text.resize((text.size() + 15) / 16 * 16, '\0');
        return static_cast<char>(text.size() / 16) + text;
    }

    static bool send_all(int connection, const std::string& bytes) {
        for (size_t sent = 0; sent < bytes.size();) {
            const ssize_t count = send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (count <= 0) return false;
            sent += static_cast<size_t>(count);
        }
        return true;
    }

    int m_socket = -1;
    int m_port = 0;
    std::mutex m_lock;
    std::string m_title;
    std::atomic<bool> m_closing = false;
    std::thread m_thread;
};

// A session bus that lets clients in and answers their Hello, then nothing more: a broker that
// hangs once a connection is up. It serves every client that connects until it is gone.
class hello_only_bus {
public:
    explicit hello_only_bus(const std::string& path) {
        m_socket = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.c_str(), std::min(path.size(), sizeof address.sun_path - 1));
        EXPECT_EQ(bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(m_socket, 4), 0);
        m_thread = std::thread([this] {
            for (int client; (client = accept(m_socket, nullptr, nullptr)) >= 0;) m_clients.emplace_back(serve, client);
        });
    }
    ~hello_only_bus() {
        shutdown(m_socket, SHUT_RDWR);
        m_thread.join();
        close(m_socket);
        for (std::thread& client : m_clients) client.detach();  // each ends as its client closes
    }

private:
    // Authenticates the client (sd-bus sends AUTH EXTERNAL, DATA, NEGOTIATE_UNIX_FD and BEGIN at
    // once, and reads the answers to the first three), answers the Hello that follows, then reads
    // what it sends.
    static void serve(int client) {
        std::string received;
        char buffer[4096];
        auto receive_until = [&](const std::function<bool()>& enough) {
            while (!enough()) {
                const ssize_t count = read(client, buffer, sizeof buffer);
                if (count <= 0) return false;
                received.append(buffer, static_cast<size_t>(count));
            }
            return true;
        };
        const std::string begin = "BEGIN\r\n";
        if (!receive_until([&] { return received.find(begin) != std::string::npos; })) {
            close(client);
            return;
        }
        const std::string agreed = "DATA\r\nOK 0123456789abcdef0123456789abcdef\r\nAGREE_UNIX_FD\r\n";
        send(client, agreed.data(), agreed.size(), MSG_NOSIGNAL);
        received.erase(0, received.find(begin) + begin.size());
        if (!receive_until([&] { return received.size() >= 16; })) {  // the Hello's fixed header
            close(client);
            return;
        }
        uint32_t serial = 0;
        std::memcpy(&serial, received.data() + 8, sizeof serial);
        const std::string reply = hello_reply(serial);
        send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
        while (read(client, buffer, sizeof buffer) > 0) {
        }
        close(client);
    }

    // The bus's method return for the call `serial`, giving the unique name :1.1 (little-endian
    // D-Bus wire format: fixed header, header fields each aligned to 8, the body aligned to 8).
    static std::string hello_reply(uint32_t serial) {
        auto number = [](uint32_t value) { return std::string(reinterpret_cast<const char*>(&value), 4); };
        auto text = [&](const std::string& value) {
            return number(static_cast<uint32_t>(value.size())) + value + '\0';
        };
        auto pad = [](std::string& bytes) { bytes.resize((bytes.size() + 7) / 8 * 8, '\0'); };
        const std::string body = text(":1.1");
        std::string fields;
        fields += std::string("\x05\x01u\0", 4) + number(serial);  // REPLY_SERIAL
        pad(fields);
        fields += std::string("\x07\x01s\0", 4) + text("org.freedesktop.DBus");  // SENDER
        pad(fields);
        fields += std::string("\x08\x01g\0\x01s\0", 7);  // SIGNATURE
        std::string message = std::string("l\x02\x00\x01", 4) + number(static_cast<uint32_t>(body.size())) + number(1) +
                              number(static_cast<uint32_t>(fields.size())) + fields;
        pad(message);
        return message + body;
    }

    int m_socket = -1;
    std::thread m_thread;
    std::vector<std::thread> m_clients;
};

class FollowPlayer : public keylume_test::SimProcess {
protected:
    void SetUp() override {
        SimProcess::SetUp();
        m_bus = std::make_unique<keylume_test::private_bus>(m_folder.string());
    }

    void TearDown() override {
        if (m_sim > 0) {
            kill(m_sim, SIGKILL);
            waitpid(m_sim, nullptr, 0);
            close(m_terminal);
        }
        for (pid_t player : m_players) end_program(player);
        m_bus.reset();
        SimProcess::TearDown();
    }

    // mpv playing the files, with its MPRIS plugin and the control socket `name` in the test folder.
    pid_t start_mpv(const std::vector<std::string>& files, const std::string& name = "mpv",
                    std::vector<std::string> options = {}) {
        std::vector<std::string> words = {keylume_test::installed_program("mpv", "mpv"),
                                          "--no-config",
                                          "--script=" + keylume_test::mpv_mpris_plugin(),
                                          "--ao=null",
                                          "--no-video",
                                          "--really-quiet",
                                          "--input-ipc-server=" + in_folder(name)};
        words.insert(words.end(), options.begin(), options.end());
        words.insert(words.end(), files.begin(), files.end());
        m_players.push_back(start_program(words, in_folder(name + ".log")));
        return m_players.back();
    }

    // Sends a command to the mpv of the control socket `name` (mpv's JSON IPC); waits for its answer.
    void tell_mpv(const std::string& name, const std::string& command) {
        int connection = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = in_folder(name);
        ASSERT_LT(path.size(), sizeof address.sun_path);
        std::memcpy(address.sun_path, path.c_str(), path.size());
        ASSERT_TRUE(wait_until(
            [&] { return connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0; }));
        const std::string line = "{\"command\": " + command + "}\n";
        ASSERT_EQ(write(connection, line.data(), line.size()), static_cast<ssize_t>(line.size()));
        char answer[256];
        EXPECT_GT(read(connection, answer, sizeof answer), 0);
        close(connection);
    }

    // keylume-sim --follow in a terminal, writing its frames to the folder "frames".
    void start_following(std::vector<std::string> arguments = {}) {
        arguments.insert(arguments.begin(), "--follow");
        arguments.insert(arguments.end(), {"--frames", in_folder("frames")});
        m_sim = start_in_terminal(arguments, m_terminal);
    }

    // Reads what the simulator shows (so that it never waits for its terminal) until `done`.
    bool wait_until(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (std::chrono::steady_clock::now() < deadline) {
            if (done()) return true;
            if (m_sim <= 0) continue;
            pollfd terminal{m_terminal, POLLIN, 0};
            char buffer[8192];
            if (poll(&terminal, 1, 20) == 1) {
                ssize_t count = read(m_terminal, buffer, sizeof buffer);
                if (count > 0) m_shown.append(buffer, static_cast<size_t>(count));
            }
        }
        return false;
    }

    bool shows(const std::string& text) {
        return wait_until([&] { return m_shown.find(text, m_shown_from) != std::string::npos; });
    }
    // From now on shows() looks only at what is shown after this.
    void forget_shown() { m_shown_from = m_shown.size(); }

    void type(const std::string& keys) {
        ASSERT_EQ(write(m_terminal, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

    std::vector<keylume_test::frame_log_line> frame_log() const {
        std::vector<keylume_test::frame_log_line> lines;
        std::istringstream log(keylume_test::contents(m_folder / "frames" / "frames.log"));
        keylume_test::frame_log_line line;
        while (log >> line.index >> line.tick >> line.priority >> line.file) lines.push_back(line);
        return lines;
    }

    // The first frame from `from` on that `wanted` accepts (with the frame's priority), waiting
    // for it to be sent; -1 when none comes.
    long frame_where(const std::function<bool(const LcdBitmap&, unsigned long)>& wanted, size_t from = 0) {
        long found = -1;
        size_t next = from;
        wait_until([&] {
            const std::vector<keylume_test::frame_log_line> log = frame_log();
            for (; next < log.size(); ++next)
                if (wanted(frame("frames", next), log[next].priority)) {
                    found = static_cast<long>(next);
                    return true;
                }
            return false;
        });
        return found;
    }
    long frame_where(const std::function<bool(const LcdBitmap&)>& wanted, size_t from = 0) {
        return frame_where([&](const LcdBitmap& frame, unsigned long) { return wanted(frame); }, from);
    }

    // The frames sent so far, once at least `count` are.
    size_t frames_sent(size_t count = 1) {
        EXPECT_TRUE(wait_until([&] { return frame_log().size() >= count; }));
        return frame_log().size();
    }

    // Types q; the simulator's exit code.
    int quit() {
        type("q");
        const int code = finish(m_sim, m_terminal, m_shown);
        m_sim = -1;
        return code;
    }

    // A frame the playlist path draws for `file` a moment into its play.
    LcdBitmap playlist_frame(const std::string& name, const std::string& file) {
        frames_of(name, {"--ticks", "25", file});
        return frame(name, 24);
    }

    // Boost on for one second.
    void store_short_boost() {
        std::vector<setting_row> rows = setting_rows();
        rows[0].default_payload = {1};
        rows[1].default_payload = {1, 0, 0, 0};
        write_config(settings_blob(rows));
    }

    std::string song(const std::string& name, const std::string& title) {
        return mp3_with_tags(name, {{"TITLE", title}, {"ARTIST", "Nina Ray"}, {"ALBUM", "Small Hours"}},
                             minute_of_frames);
    }

    pid_t m_sim = -1;
    int m_terminal = -1;
    std::string m_shown;
    size_t m_shown_from = 0;
    std::vector<pid_t> m_players;
    std::unique_ptr<keylume_test::private_bus> m_bus;
};

TEST_F(FollowPlayer, APlayerThatAppearsIsShownAsThePlaylistShowsItsTrack) {
    const std::string file = song("song.mp3", "Lanterns");
    const LcdBitmap expected = playlist_frame("playlist", file);
    start_following();
    ASSERT_TRUE(shows("waiting for a player"));
    EXPECT_EQ(frame_rows(frame("frames", frames_sent() - 1)), frame_rows(frame("playlist", 0)));  // the splash
    start_mpv({file});
    const long shown = frame_where([&](const LcdBitmap& frame) {
        return title_line(frame) == title_line(expected) && artist_line(frame) == artist_line(expected);
    });
    ASSERT_GE(shown, 0);
    EXPECT_TRUE(shows("mpv: Lanterns"));
    EXPECT_EQ(quit(), 0);
}

TEST_F(FollowPlayer, PauseHoldsTheTimeFields) {
    start_mpv({song("song.mp3", "Lanterns")});
    start_following();
    const long playing = frame_where(playback_view);
    ASSERT_GE(playing, 0);
    const rows start = time_fields(frame("frames", playing));
    ASSERT_GE(frame_where([&](const LcdBitmap& frame) { return time_fields(frame) != start; }, playing), 0);
    type(" ");
    ASSERT_TRUE(shows("(paused)"));
    const size_t paused = frames_sent();
    const size_t later = frames_sent(paused + 20) - 1;  // two seconds on
    EXPECT_EQ(time_fields(frame("frames", later)), time_fields(frame("frames", paused)));
}

TEST_F(FollowPlayer, ASeekMovesTheProgressBar) {
    start_mpv({song("song.mp3", "Lanterns")}, "mpv", {"--pause"});
    start_following();
    ASSERT_TRUE(shows("(paused)"));
    const long paused = frame_where(playback_view);
    ASSERT_GE(paused, 0);
    const int before = bar_block(frame("frames", paused));
    type("\x1b[C");  // right: 5 s on, a twelfth of the minute's bar
    EXPECT_GE(frame_where([&](const LcdBitmap& frame) { return bar_block(frame) >= before + 10; }), 0);
}

TEST_F(FollowPlayer, NextChangesTheLinesAndStartsTheBoost) {
    store_short_boost();
    const std::string first = song("first.mp3", "First Song"), second = song("second.mp3", "Second Song");
    const LcdBitmap first_frame = playlist_frame("first", first), second_frame = playlist_frame("second", second);
    start_mpv({first, second});
    start_following();
    const long boost_over = frame_where([&](const LcdBitmap& frame, unsigned long priority) {
        return title_line(frame) == title_line(first_frame) && priority == 128;
    });
    ASSERT_GE(boost_over, 0);
    type("n");
    EXPECT_GE(frame_where(
                  [&](const LcdBitmap& frame, unsigned long priority) {
                      return title_line(frame) == title_line(second_frame) && priority == 255;
                  },
                  boost_over),
              0);
}

TEST_F(FollowPlayer, ATitleChangeOnTheSameUrlIsStreamInformation) {
    store_short_boost();
    const std::string news = in_folder("news.playlist");
    keylume_test::write_bytes(news, "[track]\npath = http://radio.example/\nstream = 0 Evening News\n");
    const LcdBitmap expected = playlist_frame("playlist", news);
    radio_station station("Morning Show");
    start_mpv({station.url()});
    start_following();
    ASSERT_TRUE(shows("mpv: Morning Show"));
    const long before = frame_where([](const LcdBitmap&, unsigned long priority) { return priority == 128; },
                                    frames_sent() - 1);  // the boost of the new track is over
    ASSERT_GE(before, 0);
    station.announce("Evening News");
    const long changed =
        frame_where([&](const LcdBitmap& frame) { return title_line(frame) == title_line(expected); }, before);
    ASSERT_GE(changed, 0);
    frames_sent(changed + 10);
    const std::vector<keylume_test::frame_log_line> log = frame_log();
    for (size_t i = before; i < log.size(); ++i) EXPECT_EQ(log[i].priority, 128u) << "frame " << i;  // no new track
}

TEST_F(FollowPlayer, QuittingThePlayerGivesAStop) {
    const std::string file = song("song.mp3", "Lanterns");
    const LcdBitmap at_start = playlist_frame("playlist", file);
    const pid_t mpv = start_mpv({file});
    start_following();
    const long moved = frame_where([](const LcdBitmap& frame) { return bar_block(frame) >= 4; });
    ASSERT_GE(moved, 0);
    EXPECT_NE(position_field(frame("frames", moved)), position_field(at_start));
    forget_shown();
    tell_mpv("mpv", R"(["quit"])");
    waitpid(mpv, nullptr, 0);
    const long stopped = frame_where(
        [&](const LcdBitmap& frame) {
            return bar_block(frame) == 1 && position_field(frame) == position_field(at_start);
        },
        moved);
    EXPECT_GE(stopped, 0);
    EXPECT_TRUE(shows("waiting for a player"));
}

TEST_F(FollowPlayer, ASecondPlayerThatStartsPlayingIsFollowed) {
    const std::string first = song("first.mp3", "First Song"), second = song("second.mp3", "Second Song");
    const LcdBitmap first_frame = playlist_frame("first", first), second_frame = playlist_frame("second", second);
    start_mpv({first});
    start_following();
    const long following_first =
        frame_where([&](const LcdBitmap& frame) { return title_line(frame) == title_line(first_frame); });
    ASSERT_GE(following_first, 0);
    const pid_t other = start_mpv({second}, "other", {"--pause"});
    ASSERT_TRUE(shows("mpv: First Song"));
    tell_mpv("other", R"(["set_property", "pause", false])");
    EXPECT_GE(frame_where([&](const LcdBitmap& frame) { return title_line(frame) == title_line(second_frame); },
                          following_first),
              0);
    EXPECT_TRUE(shows("mpv.instance" + std::to_string(other) + ": Second Song"));
}

TEST_F(FollowPlayer, BadMetadataShowsWhatCanBeShown) {
    // What the bad player's metadata still fills: no title (not a text), the artist (one text, not
    // a list), the album (a megabyte, cut as every line is) without a date (not a text).
    const std::string playlist = in_folder("solo.playlist");
    keylume_test::write_bytes(playlist, "[track]\npath = /music/\xFF\xFEname%2.mp3\nartist = Solo Artist\nalbum = " +
                                            std::string(300, 'A') + "\n");
    const LcdBitmap expected = playlist_frame("playlist", playlist);
    m_players.push_back(start_program({KEYLUME_BAD_PLAYER}, in_folder("bad-player.log")));
    start_following({"broken"});
    const long shown = frame_where([&](const LcdBitmap& frame) { return artist_line(frame) == artist_line(expected); });
    ASSERT_GE(shown, 0);
    EXPECT_EQ(title_line(frame("frames", shown)), title_line(expected));
    EXPECT_EQ(album_line(frame("frames", shown)), album_line(expected));  // still in the start pause
    frames_sent(shown + 10);  // it goes on running through the player's nonsense
    EXPECT_EQ(quit(), 0);
}

TEST_F(FollowPlayer, WithoutASessionBusItSaysSoAndEndsWithOne) {
    setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + in_folder("no-bus")).c_str(), 1);
    keylume_test::finished_run result = run({"--follow", "--ticks", "5"});
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(result.err.find("--follow cannot reach the D-Bus session bus"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(in_folder("no-bus")), std::string::npos) << result.err;
}

// A bus that answers Hello and then nothing: the splash frame still comes in the first tick,
// frames keep coming while the bus is waited for, and the run ends with the bus named.
TEST_F(FollowPlayer, ABusThatAnswersOnlyHelloHoldsNoFrame) {
    const std::string path = in_folder("hello-only-bus");
    hello_only_bus bus(path);
    setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + path).c_str(), 1);
    EXPECT_EQ(frames_of("first", {"--follow", "--ticks", "1"}).size(), 1u);
    const keylume_test::finished_run result = run({"--follow", "--ticks", "200", "--frames", in_folder("waiting")});
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(result.err.find("did not answer within"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(path), std::string::npos) << result.err;
    std::istringstream log(keylume_test::contents(m_folder / "waiting" / "frames.log"));
    const long frames = std::count(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>(), '\n');
    EXPECT_GE(frames, 20) << "frames sent in the five seconds the bus was waited for";
}

}  // namespace
