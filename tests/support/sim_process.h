// keylume-sim run as a person runs it, for tests: a child process with its own configuration
// folder, bounded runs that write every frame to a folder, runs in a pseudo terminal of their
// own, and the program's messages and exit codes. Needs KEYLUME_SIM_PATH, the program's path.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "blob_builder.h"
#include "frame_picture.h"
#include "support/fabricated_audio.h"

extern char** environ;

namespace keylume_test {

namespace fs = std::filesystem;

struct finished_run {
    int exit_code = -1;
    std::string out;
    std::string err;
};

struct frame_log_line {
    size_t index;
    unsigned long tick;
    unsigned long priority;
    std::string file;
};

inline std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A frame back from the simulator's picture: the top-left pixel of each scaled block.
inline LcdBitmap read_frame_png(const fs::path& path, int scale = 4) {
    LcdBitmap frame{};
    frame.format = LCD_BITMAP_FORMAT_160X43X8;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << path;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << path;
    EXPECT_EQ(image.width, static_cast<png_uint_32>(LCD_WIDTH * scale));
    EXPECT_EQ(image.height, static_cast<png_uint_32>(LCD_HEIGHT * scale));
    if (image.width != static_cast<png_uint_32>(LCD_WIDTH * scale)) return frame;
    for (int y = 0; y < LCD_HEIGHT; ++y)
        for (int x = 0; x < LCD_WIDTH; ++x) {
            const png_byte* rgb = &pixels[(static_cast<size_t>(y * scale) * image.width + x * scale) * 3];
            frame.pixels[y * LCD_WIDTH + x] = std::memcmp(rgb, keylume_sim::lcd_lit_rgb, 3) == 0 ? 255 : 0;
        }
    return frame;
}

class SimProcess : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("keylume-sim-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                    "-" + std::to_string(getpid()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "config");
    }
    void TearDown() override { fs::remove_all(m_folder); }

    fs::path config_file() const { return m_folder / "config" / "keylume" / "keylume.cfg"; }
    std::string in_folder(const std::string& name) const { return (m_folder / name).string(); }

    // Runs keylume-sim with the arguments, the test's configuration folder and its output kept.
    finished_run run(const std::vector<std::string>& arguments) {
        finished_run result;
        const pid_t child = start(arguments);
        if (child <= 0) return result;
        result.exit_code = wait_for(child);
        result.out = contents(in_folder("stdout"));
        result.err = contents(in_folder("stderr"));
        return result;
    }

    // The exit code of a child that start() started, once it ends.
    static int wait_for(pid_t child) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status)) << "keylume-sim did not exit normally: " << status;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Starts keylume-sim as run() does, its output going to the files "stdout" and "stderr" of
    // the test folder; the child, or 0 when it cannot be started.
    pid_t start(const std::vector<std::string>& arguments) {
        std::vector<std::string> words = {KEYLUME_SIM_PATH};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        std::vector<std::string> variables = {"XDG_CONFIG_HOME=" + (m_folder / "config").string()};
        for (char** variable = environ; *variable; ++variable)
            if (!std::string(*variable).starts_with("XDG_CONFIG_HOME=")) variables.push_back(*variable);
        std::vector<char*> envp;
        for (std::string& variable : variables) envp.push_back(variable.data());
        envp.push_back(nullptr);

        const std::string out = in_folder("stdout"), err = in_folder("stderr");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t child = 0;
        int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0) << "cannot start " << argv[0];
        return spawned == 0 ? child : 0;
    }

    // Starts keylume-sim in a pseudo terminal of its own, as a person starts it in a terminal
    // window; returns the child and the terminal's controlling side.
    pid_t start_in_terminal(const std::vector<std::string>& arguments, int& terminal) {
        std::vector<std::string> words = {KEYLUME_SIM_PATH};
        words.insert(words.end(), arguments.begin(), arguments.end());
        const std::string config = (m_folder / "config").string();
        winsize size{};
        size.ws_col = 200;
        size.ws_row = 40;
        pid_t child = forkpty(&terminal, nullptr, nullptr, &size);
        if (child == 0) {
            std::vector<char*> argv;
            for (std::string& word : words) argv.push_back(word.data());
            argv.push_back(nullptr);
            setenv("XDG_CONFIG_HOME", config.c_str(), 1);
            execv(argv[0], argv.data());
            _exit(127);
        }
        EXPECT_GT(child, 0);
        return child;
    }

    // Reads what the program shows until `text` appears (or the program ends); all read so far.
    static std::string read_until(int terminal, const std::string& text, std::string shown = {}) {
        char buffer[4096];
        while (shown.find(text) == std::string::npos) {
            ssize_t count = read(terminal, buffer, sizeof buffer);
            if (count <= 0) break;
            shown.append(buffer, static_cast<size_t>(count));
        }
        return shown;
    }

    // Waits for the end of the program that runs in `terminal`; its exit code.
    static int finish(pid_t child, int terminal, std::string& shown) {
        shown = read_until(terminal, "\x1b[?25h", shown);
        int status = 0;
        waitpid(child, &status, 0);
        close(terminal);
        EXPECT_TRUE(WIFEXITED(status)) << status;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // A bounded run writing its frames to the folder `name`; the run's log, checked for success.
    std::vector<frame_log_line> frames_of(const std::string& name, std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), {"--frames", in_folder(name)});
        finished_run result = run(arguments);
        EXPECT_EQ(result.exit_code, 0) << result.err;
        std::vector<frame_log_line> lines;
        std::istringstream log(contents(m_folder / name / "frames.log"));
        std::string text;
        while (std::getline(log, text)) {
            frame_log_line line;
            std::istringstream fields(text);
            EXPECT_TRUE(fields >> line.index >> line.tick >> line.priority >> line.file) << text;
            lines.push_back(line);
        }
        return lines;
    }

    LcdBitmap frame(const std::string& name, size_t index) const {
        return read_frame_png(
            m_folder / name /
            ("frame-" + std::string(6 - std::to_string(index).size(), '0') + std::to_string(index) + ".png"));
    }

    // An MP3 file in the test folder with a title and an artist.
    std::string tagged_mp3(const std::string& name, const std::string& title, int frames = 383) {
        return mp3_with_tags(name, {{"TITLE", title}, {"ARTIST", "Nina Ray"}, {"ALBUM", "Small Hours"}}, frames);
    }

    // An MP3 file in the test folder of `frames` frames (26 ms each) with the tags given.
    std::string mp3_with_tags(const std::string& name, const std::map<std::string, std::string>& tags, int frames) {
        const std::string path = in_folder(name);
        EXPECT_TRUE(keylume_test::write_bytes(path, keylume_test::mpeg_stream(frames, 1)));
        EXPECT_TRUE(keylume_test::tag_file(path, tags));
        return path;
    }

    void write_config(const blob_bytes& blob) {
        fs::create_directories(config_file().parent_path());
        std::ofstream(config_file(), std::ios::binary)
            .write(reinterpret_cast<const char*>(blob.data()), static_cast<std::streamsize>(blob.size()));
    }
    blob_bytes stored_config() const {
        std::string text = contents(config_file());
        return blob_bytes(text.begin(), text.end());
    }

    fs::path m_folder;
};

}  // namespace keylume_test
