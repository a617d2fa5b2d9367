// keylume-sim run as a person runs it: a child process with its own configuration folder, bounded
// runs that write every frame to a folder, and its messages and exit codes. The simulator is a
// native program only (it shows the LCD in a terminal), so these tests run natively only.
#include <signal.h>

#include <cstdlib>
#include <optional>

#include "support/frame_rows.h"
#include "support/sim_process.h"

namespace {

namespace fs = std::filesystem;
using keylume_test::contents;
using keylume_test::finished_run;
using keylume_test::frame_log_line;
using keylume_test::frame_rows;
using keylume_test::SimProcess;

bool full_row(const LcdBitmap& frame, int y) {
    return frame_rows(frame, 0, y, LCD_WIDTH, y + 1)[0] == std::string(LCD_WIDTH, '#');
}

TEST_F(SimProcess, EveryFrameIsAPictureWithALogLine) {
    std::vector<frame_log_line> lines = frames_of("frames", {"--ticks", "40"});
    ASSERT_EQ(lines.size(), 40u);
    size_t pictures = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(m_folder / "frames"))
        pictures += entry.path().extension() == ".png";
    EXPECT_EQ(pictures, 40u);
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].index, i);
        EXPECT_EQ(lines[i].tick, 1000100 + 100 * i);  // one frame per 100 ms tick of the virtual clock
        EXPECT_EQ(lines[i].priority, 128u);
        EXPECT_TRUE(fs::exists(m_folder / "frames" / lines[i].file)) << lines[i].file;
    }
}

TEST_F(SimProcess, DurationIsTenTicksASecond) {
    EXPECT_EQ(frames_of("frames", {"--duration", "2.5"}).size(), 25u);
    finished_run both = run({"--duration", "1", "--ticks", "10"});
    EXPECT_EQ(both.exit_code, 2);
    EXPECT_EQ(both.err, "keylume-sim: give either --ticks or --duration, not both\n");
}

TEST_F(SimProcess, SplashViewFirstThenThePlaybackView) {
    frames_of("frames", {"--ticks", "30"});
    const LcdBitmap splash = frame("frames", 0);
    EXPECT_GT(keylume_test::lit_pixels(splash), 50);
    EXPECT_FALSE(full_row(splash, 39));
    EXPECT_EQ(frame_rows(splash, 0, 41, 160, 43), keylume_test::rows(2, std::string(160, '.')));
    EXPECT_EQ(frame_rows(frame("frames", 19), 0, 0, 160, 43), frame_rows(splash, 0, 0, 160, 43));
    // The first track starts after two seconds: the progress bar's outline is drawn.
    const LcdBitmap playing = frame("frames", 25);
    EXPECT_TRUE(full_row(playing, 39));
    EXPECT_TRUE(full_row(playing, 42));
}

TEST_F(SimProcess, StoresTheDefaultsAfterAFirstRun) {
    EXPECT_FALSE(fs::exists(config_file()));
    finished_run result = run({"--ticks", "5"});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(stored_config(), settings_blob(setting_rows()));
}

TEST_F(SimProcess, StoredBoostRaisesThePriorityAndIsStoredAgain) {
    std::vector<setting_row> rows = setting_rows();
    rows[0].default_payload = {1};
    write_config(settings_blob(rows));
    std::vector<frame_log_line> lines = frames_of("frames", {"--ticks", "40"});
    ASSERT_EQ(lines.size(), 40u);
    EXPECT_EQ(lines[19].priority, 128u);  // splash view
    EXPECT_EQ(lines[20].priority, 255u);  // the first track: boosted for the stored 5 seconds
    EXPECT_EQ(lines[39].priority, 255u);
    EXPECT_EQ(stored_config(), settings_blob(rows));
}

TEST_F(SimProcess, DamagedConfigurationIsReportedAndKept) {
    std::vector<setting_row> rows = setting_rows();
    rows[0].default_payload = {1};
    blob_bytes damaged = settings_blob(rows);
    damaged.resize(damaged.size() - 3);  // the last record ends early
    write_config(damaged);
    finished_run result = run({"--ticks", "5"});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_NE(result.err.find(config_file().string()), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(config_file().string() + ".damaged"), std::string::npos) << result.err;
    std::string kept = contents(config_file().string() + ".damaged");
    EXPECT_EQ(blob_bytes(kept.begin(), kept.end()), damaged);
    // Saved whole again: the records read before the damage kept their stored values.
    blob_bytes stored = stored_config();
    EXPECT_EQ(stored.size(), settings_blob(setting_rows()).size());
}

TEST_F(SimProcess, BadArgumentsExitWithTwoAndSayWhatIsWrong) {
    finished_run unknown = run({"--colour"});
    EXPECT_EQ(unknown.exit_code, 2);
    EXPECT_EQ(unknown.err, "keylume-sim: unknown option '--colour' (see --help)\n");
    finished_run ticks = run({"--ticks", "many"});
    EXPECT_EQ(ticks.exit_code, 2);
    EXPECT_EQ(ticks.err, "keylume-sim: --ticks needs a whole number of 0 or more, not 'many'\n");
    finished_run missing = run({"--frames"});
    EXPECT_EQ(missing.exit_code, 2);
    EXPECT_EQ(missing.err, "keylume-sim: --frames needs a value (see --help)\n");
    finished_run key = run({"--ticks", "5", "--keys", "3:x"});
    EXPECT_EQ(key.exit_code, 2);
    EXPECT_NE(key.err.find("unknown key 'x'"), std::string::npos) << key.err;
    EXPECT_FALSE(fs::exists(config_file()));  // nothing ran
    finished_run colour = run({"--window", "--lcd-colors", "10200a,green"});
    EXPECT_EQ(colour.exit_code, 2);
    EXPECT_NE(colour.err.find("RRGGBB or #RRGGBB, not 'green'"), std::string::npos) << colour.err;

    // --follow takes names: a file of that name beside one only brings a note; an entry that cannot
    // be a name is refused by itself.
    const std::string song = tagged_mp3("song.mp3", "Lanterns");
    const std::optional<std::string> outer_bus =
        std::getenv("DBUS_SESSION_BUS_ADDRESS") ? std::optional<std::string>(std::getenv("DBUS_SESSION_BUS_ADDRESS"))
                                                : std::nullopt;
    setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + in_folder("no-bus")).c_str(), 1);
    const fs::path working_folder = fs::current_path();
    fs::current_path(m_folder);
    const finished_run name_beside_file = run({"--follow", "song.mp3", "--ticks", "1"});
    fs::current_path(working_folder);
    outer_bus ? setenv("DBUS_SESSION_BUS_ADDRESS", outer_bus->c_str(), 1) : unsetenv("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_NE(name_beside_file.exit_code, 2);
    EXPECT_NE(name_beside_file.err.find(
                  "keylume-sim: --follow takes 'song.mp3' as a player's name, not as the file of that name here\n"),
              std::string::npos)
        << name_beside_file.err;
    const finished_run path = run({"--follow", song});
    EXPECT_EQ(path.exit_code, 2);
    EXPECT_NE(path.err.find("'" + song + "' cannot be a player's name"), std::string::npos) << path.err;
    EXPECT_NE(path.err.find("files play without --follow"), std::string::npos) << path.err;
    const finished_run one_bad = run({"--follow", "mpv,my player,%any"});
    EXPECT_EQ(one_bad.exit_code, 2);
    EXPECT_EQ(one_bad.err,
              "keylume-sim: --follow takes the names of players on the D-Bus session bus: 'my player' cannot be a "
              "player's name (letters, digits, _ and - between dots only); files play without --follow (keylume-sim "
              "FILE)\n");
    finished_run empty_name = run({"--follow", "mpv,,vlc"});
    EXPECT_EQ(empty_name.exit_code, 2);
    EXPECT_NE(empty_name.err.find("an empty player name in 'mpv,,vlc'"), std::string::npos) << empty_name.err;
}

TEST_F(SimProcess, HelpNamesEveryOptionAndKey) {
    finished_run help = run({"--help"});
    EXPECT_EQ(help.exit_code, 0);
    for (const char* word : {"--ticks", "--duration", "--speed", "--snapshot", "--record", "--frames", "--lcd-server",
                             "--keys", "--follow", "--window", "--lcd-colors", "prefs set NAME VALUE", "prefs reset",
                             "XDG_CONFIG_HOME", "space pause", "u unplug"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
}

TEST_F(SimProcess, FilesThatCannotBePlayedAreSkippedByName) {
    const std::string song = tagged_mp3("song.mp3", "Lanterns");
    const std::string notes = in_folder("notes.txt");
    keylume_test::write_bytes(notes, "just words\n");
    const std::string missing = in_folder("missing.flac");
    std::vector<frame_log_line> lines = frames_of("frames", {"--ticks", "25", notes, song, missing});
    EXPECT_EQ(lines.size(), 25u);
    finished_run result = run({"--ticks", "25", notes, song, missing});
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.err, "keylume-sim: " + notes +
                              ": not an audio file that can be read (unknown or damaged format) (skipped)\n"
                              "keylume-sim: " +
                              missing + ": no such file (skipped)\n");
}

TEST_F(SimProcess, NothingPlayableIsAnError) {
    const std::string notes = in_folder("notes.txt");
    keylume_test::write_bytes(notes, "just words\n");
    finished_run result = run({"--ticks", "5", notes});
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(result.err.find("nothing to play: none of " + notes), std::string::npos) << result.err;
}

TEST_F(SimProcess, FolderPlaysItsAudioFilesInNameOrder) {
    fs::create_directories(m_folder / "album");
    tagged_mp3("album/b.mp3", "Second Song");
    tagged_mp3("album/a.mp3", "First Song");
    keylume_test::write_bytes(in_folder("album/cover.jpg"), "not a picture either");
    frames_of("folder", {"--ticks", "25", in_folder("album")});
    frames_of("first", {"--ticks", "25", in_folder("album/a.mp3")});
    frames_of("second", {"--ticks", "25", in_folder("album/b.mp3")});
    const LcdBitmap folder = frame("folder", 24);
    EXPECT_EQ(frame_rows(folder, 0, 0, 160, 43), frame_rows(frame("first", 24), 0, 0, 160, 43));
    EXPECT_NE(frame_rows(folder, 0, 0, 160, 11), frame_rows(frame("second", 24), 0, 0, 160, 11));
}

TEST_F(SimProcess, StreamTitleChangesWhileItPlays) {
    const std::string playlist = in_folder("radio.playlist");
    keylume_test::write_bytes(playlist,
                              "# a station\n[track]\npath = http://radio.example/one\nartist = Radio One\n"
                              "stream = 0 Morning Show\nstream = 2 Evening News\n");
    frames_of("frames", {"--ticks", "50", playlist});
    const LcdBitmap before = frame("frames", 30), after = frame("frames", 45);
    EXPECT_NE(frame_rows(before, 0, 0, 160, 11), frame_rows(after, 0, 0, 160, 11));    // the title line
    EXPECT_EQ(frame_rows(before, 0, 11, 160, 22), frame_rows(after, 0, 11, 160, 22));  // the artist stays
}

TEST_F(SimProcess, SoftButtonTwoShowsTheSecondScreen) {
    tagged_mp3("song.mp3", "Lanterns");
    frames_of("screen1", {"--ticks", "30", in_folder("song.mp3")});
    frames_of("screen2", {"--ticks", "30", "--keys", "25:2", in_folder("song.mp3")});
    // Screen 1 shows the artist on line 2, screen 2 on line 1.
    EXPECT_EQ(frame_rows(frame("screen2", 29), 0, 0, 160, 11), frame_rows(frame("screen1", 29), 0, 11, 160, 22));
    EXPECT_EQ(frame_rows(frame("screen2", 29), 0, 11, 160, 22), frame_rows(frame("screen1", 29), 0, 0, 160, 11));
}

TEST_F(SimProcess, UnpluggedKeyboardGetsNoFramesUntilPluggedAgain) {
    std::vector<frame_log_line> lines = frames_of("frames", {"--ticks", "40", "--keys", "25:u,30:u"});
    ASSERT_FALSE(lines.empty());
    for (const frame_log_line& line : lines)
        EXPECT_FALSE(line.tick > 1002500 && line.tick <= 1003000) << "frame at " << line.tick << " while unplugged";
    EXPECT_EQ(lines.back().tick, 1004000u);  // the component reconnected
}

TEST_F(SimProcess, AnotherServerModuleIsFoundThroughTheRegistry) {
    const std::string copy = in_folder("other_server.so");
    fs::copy_file(fs::path(KEYLUME_SIM_PATH).parent_path() / "keylume_lcdserver.so", copy);
    EXPECT_EQ(frames_of("frames", {"--ticks", "10", "--lcd-server", copy}).size(), 10u);
}

TEST_F(SimProcess, ServerWithoutTheControlSideGetsTheFramesAndCaptureIsRefused) {
    const std::string other = (fs::path(KEYLUME_SIM_PATH).parent_path() / KEYLUME_COUNTING_SERVER_FILE).string();
    const std::string report = in_folder("report");
    setenv("KEYLUME_COUNTING_SERVER_REPORT", report.c_str(), 1);
    finished_run played = run({"--ticks", "30", "--keys", "25:2,26:u", "--lcd-server", other});
    unsetenv("KEYLUME_COUNTING_SERVER_REPORT");
    EXPECT_EQ(played.exit_code, 0) << played.err;
    EXPECT_EQ(contents(report), "30 frames\n");
    EXPECT_EQ(played.err,
              "keylume-sim: this LCD Manager server has no control side: the LCD is not shown here, and the soft "
              "buttons and u are not available\n"
              "keylume-sim: soft buttons need the LCD Manager stand-in's control side\n"
              "keylume-sim: unplugging needs the LCD Manager stand-in's control side\n");
    finished_run capture = run({"--ticks", "30", "--frames", in_folder("frames"), "--lcd-server", other});
    EXPECT_EQ(capture.exit_code, 1);
    EXPECT_EQ(capture.err,
              "keylume-sim: --frames needs the LCD Manager stand-in's control side to see the frames, "
              "and '" +
                  other + "' has none\n");
    EXPECT_FALSE(fs::exists(in_folder("frames")));
}

TEST_F(SimProcess, ServerModulesThatCannotBeUsedAreNamed) {
    const std::string missing = in_folder("missing.so");
    finished_run absent = run({"--ticks", "5", "--lcd-server", missing});
    EXPECT_EQ(absent.exit_code, 1);
    EXPECT_EQ(absent.err, "keylume-sim: LCD Manager server module '" + missing + "': no such file\n");
    const std::string text = in_folder("text.so");
    keylume_test::write_bytes(text, "not a module");
    finished_run garbage = run({"--ticks", "5", "--lcd-server", text});
    EXPECT_EQ(garbage.exit_code, 1);
    EXPECT_EQ(garbage.err, "keylume-sim: LCD Manager server module '" + text + "' cannot be loaded as a module\n");
    const std::string plain = (fs::path(KEYLUME_SIM_PATH).parent_path() / KEYLUME_NO_INTERFACE_FILE).string();
    finished_run no_interface = run({"--ticks", "5", "--lcd-server", plain});
    EXPECT_EQ(no_interface.exit_code, 1);
    EXPECT_EQ(no_interface.err,
              "keylume-sim: '" + plain + "' is not an LCD Manager server module: it exports no GetInterface\n");
}

// The status line names the track; the LCD is drawn above it.
TEST_F(SimProcess, InATerminalQQuitsRestoresTheTerminalAndSaves) {
    int terminal = -1;
    pid_t child = start_in_terminal({"--speed", "20"}, terminal);
    std::string shown = read_until(terminal, "Lanterns");
    EXPECT_NE(shown.find("\xe2\x96"), std::string::npos);  // half blocks: U+2580..U+259F
    ASSERT_EQ(write(terminal, "q", 1), 1);
    EXPECT_EQ(finish(child, terminal, shown), 0);
    EXPECT_NE(shown.find("\x1b[?25h"), std::string::npos);  // the cursor is back
    EXPECT_EQ(stored_config(), settings_blob(setting_rows()));
}

TEST_F(SimProcess, CtrlCEndsTheRunAndSaves) {
    int terminal = -1;
    pid_t child = start_in_terminal({"--speed", "20"}, terminal);
    std::string shown = read_until(terminal, "priority");
    ASSERT_EQ(kill(child, SIGINT), 0);
    EXPECT_EQ(finish(child, terminal, shown), 0);
    EXPECT_EQ(stored_config(), settings_blob(setting_rows()));
}

const char* const default_settings_listing =
    "cfg_priority_boost     false\n"
    "cfg_priority_seconds   5\n"
    "cfg_left_time_mode     current_position\n"
    "cfg_right_time_mode    track_length\n"
    "cfg_softkey1_line1     \"%title%\"\n"
    "cfg_softkey1_line2     \"%artist%\"\n"
    "cfg_softkey1_line3     \"%album% '('%date%')'\"\n"
    "cfg_softkey2_line1     \"%artist%\"\n"
    "cfg_softkey2_line2     \"%title%\"\n"
    "cfg_softkey2_line3     \"%album%\"\n"
    "cfg_softkey3_line1     \"%title%\"\n"
    "cfg_softkey3_line2     \"%artist%\"\n"
    "cfg_softkey3_line3     \"\"\n"
    "cfg_softkey4_line1     \"%artist% - %title%\"\n"
    "cfg_softkey4_line2     \"%album% '('%date%')'\"\n"
    "cfg_softkey4_line3     \"%__mp3_stereo_mode%\"\n";

TEST_F(SimProcess, PrefsShowsTheSixteenSettings) {
    finished_run shown = run({"prefs"});
    EXPECT_EQ(shown.exit_code, 0) << shown.err;
    EXPECT_EQ(shown.out, default_settings_listing);
    EXPECT_FALSE(fs::exists(config_file()));  // looking stores nothing
}

TEST_F(SimProcess, NextRunFindsTheSettingsThatPrefsSetStored) {
    finished_run boost = run({"prefs", "set", "cfg_priority_boost", "true"});
    EXPECT_EQ(boost.exit_code, 0) << boost.err;
    EXPECT_EQ(boost.out, "cfg_priority_boost     true\n");
    finished_run line = run({"prefs", "set", "softkey1_line1", "%artist%"});
    EXPECT_EQ(line.exit_code, 0) << line.err;
    std::vector<frame_log_line> lines = frames_of("frames", {"--ticks", "30", tagged_mp3("song.mp3", "Lanterns")});
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[19].priority, 128u);
    EXPECT_EQ(lines[29].priority, 255u);
    // Lines 1 and 2 of screen 1 both show the artist now.
    const LcdBitmap playing = frame("frames", 29);
    EXPECT_EQ(frame_rows(playing, 0, 0, 160, 11), frame_rows(playing, 0, 11, 160, 22));
    std::string listing = run({"prefs"}).out;
    EXPECT_NE(listing.find("cfg_priority_boost     true\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("cfg_softkey1_line1     \"%artist%\"\n"), std::string::npos) << listing;
}

TEST_F(SimProcess, PrefsSetWorksEveryKindOfControl) {
    for (auto [name, value] : std::vector<std::pair<std::string, std::string>>{{"cfg_priority_seconds", "12"},
                                                                               {"cfg_right_time_mode", "countdown"},
                                                                               {"cfg_left_time_mode", "2"},
                                                                               {"cfg_softkey3_line3", "Été %genre%"},
                                                                               {"cfg_softkey1_line1", ""}}) {
        finished_run set = run({"prefs", "set", name, value});
        EXPECT_EQ(set.exit_code, 0) << name << ": " << set.err;
    }
    std::string expected = default_settings_listing;
    auto replace = [&](const std::string& from, const std::string& to) {
        expected.replace(expected.find(from), from.size(), to);
    };
    replace("cfg_priority_seconds   5", "cfg_priority_seconds   12");  // typed while the boost was switched on
    replace("cfg_left_time_mode     current_position", "cfg_left_time_mode     countdown");
    replace("cfg_right_time_mode    track_length", "cfg_right_time_mode    countdown");
    replace("cfg_softkey3_line3     \"\"", "cfg_softkey3_line3     \"Été %genre%\"");
    replace("cfg_softkey1_line1     \"%title%\"", "cfg_softkey1_line1     \"\"");
    EXPECT_EQ(run({"prefs"}).out, expected);  // the boost is off again
}

// The text goes into the seconds box as a person pastes it, and the box's own rules decide what
// it stores; the command prints what was stored.
TEST_F(SimProcess, PrefsSetPastesTheSecondsIntoTheBox) {
    for (auto [typed, stored] : std::vector<std::pair<std::string, std::string>>{
             {"2.7", "3"}, {" 12,5", "13"}, {"abc", "1"}, {"9e99", "30"}, {"45", "30"}}) {
        finished_run set = run({"prefs", "set", "cfg_priority_seconds", typed});
        EXPECT_EQ(set.exit_code, 0) << typed << ": " << set.err;
        EXPECT_EQ(set.out, "cfg_priority_seconds   " + stored + "\n") << typed;
        EXPECT_NE(run({"prefs"}).out.find("cfg_priority_seconds   " + stored + "\n"), std::string::npos) << typed;
    }
}

TEST_F(SimProcess, PrefsErrorsNameTheProblemAndStoreNothing) {
    ASSERT_EQ(run({"prefs", "set", "cfg_priority_seconds", "9"}).exit_code, 0);
    const blob_bytes stored = stored_config();
    finished_run unknown = run({"prefs", "set", "cfg_colour", "blue"});
    EXPECT_EQ(unknown.exit_code, 2);
    EXPECT_NE(unknown.err.find("'cfg_colour'"), std::string::npos) << unknown.err;
    for (const char* name : {"cfg_priority_boost", "cfg_left_time_mode", "cfg_softkey4_line3"})
        EXPECT_NE(unknown.err.find(name), std::string::npos) << unknown.err;
    for (auto [name, value, message] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"cfg_priority_boost", "maybe", "cfg_priority_boost takes true or false"},
             {"cfg_right_time_mode", "3", "cfg_right_time_mode takes current_position, track_length or countdown"}}) {
        finished_run bad = run({"prefs", "set", name, value});
        EXPECT_EQ(bad.exit_code, 2) << name;
        EXPECT_NE(bad.err.find(message), std::string::npos) << bad.err;
    }
    finished_run incomplete = run({"prefs", "set", "cfg_priority_boost"});
    EXPECT_EQ(incomplete.exit_code, 2);
    EXPECT_EQ(incomplete.err, "keylume-sim: prefs set needs a NAME and a VALUE (see keylume-sim prefs)\n");
    EXPECT_EQ(stored_config(), stored);
}

TEST_F(SimProcess, PrefsResetStoresTheDefaults) {
    ASSERT_EQ(run({"prefs", "set", "cfg_priority_boost", "true"}).exit_code, 0);
    EXPECT_NE(stored_config(), settings_blob(setting_rows()));
    finished_run reset = run({"prefs", "reset"});
    EXPECT_EQ(reset.exit_code, 0) << reset.err;
    EXPECT_EQ(stored_config(), settings_blob(setting_rows()));
    EXPECT_EQ(run({"prefs"}).out, default_settings_listing);
}

}  // namespace
