// Plays one scripted session of three minutes of virtual time through the host stand-in, the
// component and the LCD Manager stand-in, and writes every frame the keyboard got to the file
// named on the command line: per frame its priority (4 bytes, little-endian) and its LcdBitmap.
// The session holds the splash view, lines that fit and marquees, accented Latin, Latin
// Extended-A, Greek, Cyrillic and Japanese titles, a track without tags, a stream whose title
// changes, pauses, seeks, a stop and all four screens. Built for every target, so that the files
// of two targets can be compared byte for byte (scripts/compare-frames); not a test.
#include <cstdio>
#include <string>
#include <vector>

#include "player.h"
#include "support/hosted_component.h"

namespace {

constexpr int SESSION_TICKS = 1800;  // 100 ms each
constexpr uint32_t TICK_MILLISECONDS = 100;

keylume_players::playlist_entry track(const char* title, const char* artist, const char* album, const char* date,
                                      double length) {
    keylume_players::playlist_entry entry;
    velvox_host::track_record& record = entry.track;
    record.path = "/music/session.mp3";
    record.file_name = "session.mp3";
    if (title) record.tags.set("title", title);
    if (artist) record.tags.set("artist", artist);
    if (album) record.tags.set("album", album);
    if (date) record.tags.set("date", date);
    record.length_seconds = length;
    return entry;
}

std::vector<keylume_players::playlist_entry> session_playlist() {
    keylume_players::playlist_entry station = track(nullptr, "Radio Keylume", "Live", "2026", 0);
    station.stream_titles = {{0, "Radio Keylume - station jingle"},
                             {5, "Ансамбль Мир - Огни большого города"},
                             {10, "山田 花子 - 東京の夜"}};
    // The tracks of keylume-sim's demo playlist, and more.
    return {
        track("Lanterns", "Nina Ray", "Small Hours", "2019", 184),
        track("A Very Long Title That Has To Run Across The Display As A Marquee", "The Long Names Orchestra",
              "Overtures", "2021", 247),
        track("Café Noir à Montréal", "Zoë Brontë", "Été", "2018", 203),
        track("Łódź nocą", "Antonín Dvořák", "Erdős Pál válogatás", "2022", 195),
        track("Ωδή στη νύχτα", "Ελένη Καραΐνδρου", "Μουσική για ταινίες", "2017", 212),
        track("Звёздная ночь", "Ансамбль Мир", "Огни", "2015", 221),
        track("Очень длинное название песни, которое не помещается на дисплее", "Ансамбль Мир", "Огни", "2016", 240),
        track("夜の光", "山田 花子", "東京の空", "2020", 198),
        track(nullptr, "Unknown Artist", nullptr, nullptr, 95),
        station,
    };
}

// What happens at a tick: a soft button pressed (1 to 4, released at the next tick), the next
// track, pause or resume, a seek 60 s on, a stop, or play from the first track.
struct scripted_key {
    int tick;
    char key;
};

const scripted_key SCRIPT[] = {
    {30, 'g'},   {120, '2'},  {150, '1'},  {170, 'n'},  {260, 'n'},  {300, ' '},  {330, ' '},  {350, 'n'},  {420, '3'},
    {450, '1'},  {470, 'n'},  {560, '>'},  {600, 'n'},  {690, '4'},  {720, '1'},  {740, 'n'},  {900, 'n'},  {990, '2'},
    {1020, '1'}, {1040, 'n'}, {1130, 'n'}, {1300, '3'}, {1330, '1'}, {1450, 's'}, {1500, 'g'}, {1600, '>'}, {1700, '4'},
};

void press(lcd_server_control& keyboard, keylume_players::player& player, char key) {
    switch (key) {
        case '1':
        case '2':
        case '3':
        case '4':
            keyboard.press_buttons(1u << (key - '1'));
            break;
        case 'g':
            player.play(0);
            break;
        case 'n':
            player.next();
            break;
        case ' ':
            player.toggle_pause();
            break;
        case '>':
            player.seek(player.position() + 60);
            break;
        case 's':
            player.stop();
            break;
        default:
            break;
    }
}

void write_frame(std::FILE* out, const lcd_server_frame& frame) {
    unsigned char priority[4];
    for (int i = 0; i < 4; ++i) priority[i] = static_cast<unsigned char>(frame.priority >> (8 * i));
    std::fwrite(priority, 1, sizeof priority, out);
    std::fwrite(&frame.bitmap, 1, sizeof frame.bitmap, out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: session_frames FRAMES_FILE\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    keylume_test::hosted_component display;
    display.attach();
    display.start();
    lcd_server_control& keyboard = display.server.control();
    keylume_players::player player(*display.registry, session_playlist());
    size_t frames = 0, next_key = 0;
    for (int tick = 0; tick < SESSION_TICKS; ++tick) {
        keyboard.release_buttons(0xF);
        for (; next_key < std::size(SCRIPT) && SCRIPT[next_key].tick == tick; ++next_key)
            press(keyboard, player, SCRIPT[next_key].key);
        player.advance(TICK_MILLISECONDS);
        display.advance_tick();
        for (size_t i = 0; i < keyboard.frame_count(); ++i, ++frames) write_frame(out, *keyboard.frame(i));
        keyboard.clear_frames();
    }
    display.detach();
    bool written = !std::ferror(out);
    written = std::fclose(out) == 0 && written;
    if (!written) std::perror(argv[1]);
    std::printf("%zu frames\n", frames);
    return written ? 0 : 1;
}
