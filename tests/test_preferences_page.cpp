// The component's preferences page shown by the host stand-in and worked as a person does:
// keystrokes, pastes, clicks and focus moves. What it stores is read back from the configuration
// blob the host saves, and what it hands to the display from the frames the LCD Manager
// stand-in receives. Natively against the platform layer, under Wine against real controls.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "preferences_window.h"
#include "resource.h"
#include "support/component_on_host.h"
#include "support/frame_rows.h"

using keylume_test::frame_rows;
using keylume_test::rows;
using keylume_test::sample_track;
using velvox_host::preferences_window;
using velvox_host::typing_start;

namespace {

enum setting_index {
    priority_boost = 0,
    priority_seconds = 1,
    left_time_mode = 2,
    right_time_mode = 3,
    softkey1_line1 = 4,
};

// The twelve line edits, soft key 1 lines 1 to 3 first, matching settings 4 to 15.
const int LINE_EDITS[12] = {IDC_SOFTKEY1_LINE1, IDC_SOFTKEY1_LINE2, IDC_SOFTKEY1_LINE3, IDC_SOFTKEY2_LINE1,
                            IDC_SOFTKEY2_LINE2, IDC_SOFTKEY2_LINE3, IDC_SOFTKEY3_LINE1, IDC_SOFTKEY3_LINE2,
                            IDC_SOFTKEY3_LINE3, IDC_SOFTKEY4_LINE1, IDC_SOFTKEY4_LINE2, IDC_SOFTKEY4_LINE3};

blob_bytes int_payload(int value) {
    auto bits = static_cast<uint32_t>(value);
    return {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits >> 16),
            static_cast<uint8_t>(bits >> 24)};
}

// The payload of the setting's record in a saved blob; fails the test when there is none.
blob_bytes payload_of(const blob_bytes& blob, int setting) {
    blob_bytes wanted = guid_bytes(setting_rows()[static_cast<size_t>(setting)].guid);
    for (size_t at = 0; at + 20 <= blob.size();) {
        size_t size =
            blob[at + 16] | blob[at + 17] << 8 | blob[at + 18] << 16 | static_cast<size_t>(blob[at + 19]) << 24;
        if (std::equal(wanted.begin(), wanted.end(), blob.begin() + static_cast<ptrdiff_t>(at)))
            return blob_bytes(blob.begin() + static_cast<ptrdiff_t>(at + 20),
                              blob.begin() + static_cast<ptrdiff_t>(at + 20 + size));
        at += 20 + size;
    }
    ADD_FAILURE() << "no record of setting " << setting;
    return {};
}

class PreferencesPage : public keylume_test::component_on_host {
protected:
    static void SetUpTestSuite() { host_window = new velvox_host::preferences_host_window; }
    static void TearDownTestSuite() {
        delete host_window;
        host_window = nullptr;
    }
    void SetUp() override {
        component_on_host::SetUp();
        store(setting_rows());  // every test starts from the defaults
    }
    void TearDown() override {
        window.reset();
        component_on_host::TearDown();
    }

    blob_bytes stored(int setting) { return payload_of(saved(), setting); }
    preferences_window& open() {
        window = std::make_unique<preferences_window>(*component, host_window->handle());
        return *window;
    }
    // A soft button pressed and released; the frame after it shows the selected screen.
    const LcdBitmap& press(DWORD button) {
        server.control().press_buttons(button);
        tick();
        server.control().release_buttons(button);
        return tick();
    }
    // A text line's rows without its lowest, which the third line shares with the time fields.
    rows line(const LcdBitmap& frame, int index) { return frame_rows(frame, 0, index * 11, 160, index * 11 + 10); }
    rows time_fields(const LcdBitmap& frame) { return frame_rows(frame, 0, 33, 160, 39); }

    static inline velvox_host::preferences_host_window* host_window = nullptr;
    std::unique_ptr<preferences_window> window;
};

TEST_F(PreferencesPage, OpeningChangesNoSettingEvenOutsideAscii) {
    std::vector<setting_row> rows = setting_rows();
    rows[priority_boost].default_payload = {1};
    rows[priority_seconds].default_payload = int_payload(99);  // outside 1..30 until the box is left
    rows[left_time_mode].default_payload = int_payload(2);
    const char* templates[12] = {"\xE2\x82\xAC %title% \xF0\x9F\x98\x80",
                                 "\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F",
                                 "\xE6\x9B\xB2 %album%",
                                 "caf\xC3\xA9 '('%date%')'",
                                 "",
                                 "%artist%",
                                 "\xC3\x85ngstr\xC3\xB6m",
                                 "%title% \xE2\x80\x94 %artist%",
                                 "x",
                                 "%tracknumber%",
                                 "\xF0\x9D\x84\x9E",
                                 "$upper(%title%)"};
    for (int i = 0; i < 12; ++i)
        rows[static_cast<size_t>(softkey1_line1 + i)].default_payload = text_payload(templates[i]);
    store(rows);
    start();
    blob_bytes before = saved();
    ASSERT_EQ(before, settings_blob(rows));
    preferences_window& page = open();
    EXPECT_EQ(saved(), before);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(page.text(LINE_EDITS[i]), templates[i]) << "edit " << LINE_EDITS[i];
    EXPECT_EQ(page.text(IDC_PRIORITY_SECONDS), "99");
    EXPECT_TRUE(page.checked(IDC_PRIORITY_BOOST));
    EXPECT_TRUE(page.enabled(IDC_PRIORITY_SECONDS));
    EXPECT_TRUE(page.checked(IDC_LEFT_COUNTDOWN));
    EXPECT_TRUE(page.checked(IDC_RIGHT_LENGTH));
    page.close();
    EXPECT_EQ(saved(), before);
}

// Bytes that are not UTF-8 cannot pass through the controls' UTF-16 unchanged: the page leaves
// such a template as stored until the user edits it.
TEST_F(PreferencesPage, OpeningKeepsATemplateThatIsNotUtf8) {
    std::vector<setting_row> rows = setting_rows();
    rows[softkey1_line1 + 1].default_payload = text_payload("caf\xE9 \xFF%artist%");
    store(rows);
    blob_bytes before = saved();
    preferences_window& page = open();
    EXPECT_EQ(saved(), before);
    EXPECT_NE(page.text(IDC_SOFTKEY1_LINE2).find("%artist%"), std::string::npos);
    page.type_text(IDC_SOFTKEY1_LINE2, "%album%");
    EXPECT_EQ(stored(softkey1_line1 + 1), text_payload("%album%"));
}

TEST_F(PreferencesPage, OpensWithTheDefaultsOnAFirstRun) {
    preferences_window& page = open();
    EXPECT_EQ(page.text(IDC_SOFTKEY1_LINE3), "%album% '('%date%')'");
    EXPECT_EQ(page.text(IDC_SOFTKEY3_LINE3), "");
    EXPECT_EQ(page.text(IDC_PRIORITY_SECONDS), "5");
    EXPECT_FALSE(page.checked(IDC_PRIORITY_BOOST));
    EXPECT_FALSE(page.enabled(IDC_PRIORITY_SECONDS));
    EXPECT_TRUE(page.checked(IDC_LEFT_POSITION));
    EXPECT_FALSE(page.checked(IDC_LEFT_LENGTH));
    EXPECT_TRUE(page.checked(IDC_RIGHT_LENGTH));
    EXPECT_EQ(saved(), settings_blob(setting_rows()));
}

TEST_F(PreferencesPage, TypingStoresTheTemplateAtEveryKeystroke) {
    preferences_window& page = open();
    const int setting = softkey1_line1 + 5;  // soft key 2, line 3
    std::string so_far;
    for (const char* key : {"%", "a", "l", "b", "u", "m", "%", " ", "\xC3\xA9"}) {
        // The first key replaces "%album%", the others follow it.
        page.type_text(IDC_SOFTKEY2_LINE3, key, so_far.empty() ? typing_start::replacing_all : typing_start::at_end);
        so_far += key;
        EXPECT_EQ(stored(setting), text_payload(so_far)) << "after " << so_far;
    }
    EXPECT_EQ(page.text(IDC_SOFTKEY2_LINE3), "%album% \xC3\xA9");
    page.type_text(IDC_SOFTKEY2_LINE3, "\b", typing_start::at_end);
    EXPECT_EQ(stored(setting), text_payload("%album% "));
    page.clear_text(IDC_SOFTKEY2_LINE3);
    EXPECT_EQ(stored(setting), blob_bytes{});
    // The other fifteen are untouched.
    std::vector<setting_row> expected = setting_rows();
    expected[setting].default_payload = {};
    EXPECT_EQ(saved(), settings_blob(expected));
}

TEST_F(PreferencesPage, TypedTemplatesReachTheDisplayAtTheNextScreenSelection) {
    start();
    registry->new_track(velvox_host::make_track_handle(sample_track("Short", 200)));
    const LcdBitmap& first = tick();
    rows title = line(first, 0), artist = line(first, 1);
    preferences_window& page = open();
    // Screen 3 gets the artist as its third line, screen 4 the title as its first.
    page.type_text(IDC_SOFTKEY3_LINE3, "%artist%");
    page.type_text(IDC_SOFTKEY4_LINE1, "%title%");
    EXPECT_EQ(line(tick(), 0), title);  // the screen in use keeps its lines until a selection
    const LcdBitmap& third = press(0x4);
    EXPECT_EQ(line(third, 2), artist);
    const LcdBitmap& fourth = press(0x8);
    EXPECT_EQ(line(fourth, 0), title);
    // Screen 1 again, after its first line was typed while screen 4 shows.
    page.type_text(IDC_SOFTKEY1_LINE1, "%artist%");
    EXPECT_EQ(line(press(0x1), 0), artist);
}

TEST_F(PreferencesPage, BoostCheckBoxEnablesTheSecondsAndBoostsTheNextSongChange) {
    start();
    registry->new_track(velvox_host::make_track_handle(sample_track("Short", 200)));
    tick();
    EXPECT_EQ(last_priority(), 128u);
    preferences_window& page = open();
    EXPECT_FALSE(page.enabled(IDC_PRIORITY_SECONDS));
    EXPECT_THROW(page.type_text(IDC_PRIORITY_SECONDS, "9"), std::runtime_error);  // nobody types into it
    page.click(IDC_PRIORITY_BOOST);
    EXPECT_TRUE(page.checked(IDC_PRIORITY_BOOST));
    EXPECT_TRUE(page.enabled(IDC_PRIORITY_SECONDS));
    EXPECT_EQ(stored(priority_boost), blob_bytes{1});
    registry->new_track(velvox_host::make_track_handle(sample_track("Next", 200)));
    for (int i = 1; i <= 50; ++i) {
        tick();
        ASSERT_EQ(last_priority(), 255u) << "tick " << i;
    }
    tick();
    EXPECT_EQ(last_priority(), 128u);
    page.click(IDC_PRIORITY_BOOST);
    EXPECT_FALSE(page.enabled(IDC_PRIORITY_SECONDS));
    EXPECT_EQ(stored(priority_boost), blob_bytes{0});
    registry->new_track(velvox_host::make_track_handle(sample_track("Third", 200)));
    tick();
    EXPECT_EQ(last_priority(), 128u);
}

TEST_F(PreferencesPage, SecondsAreBoundToOneToThirtyWhenTheBoxIsLeft) {
    preferences_window& page = open();
    page.click(IDC_PRIORITY_BOOST);
    struct entry {
        const char* typed;
        const char* shown;
        int stored;
    };
    int previous = 5;
    for (entry e : {entry{"0", "1", 1}, entry{"45", "30", 30}, entry{"", "1", 1}, entry{"7", "7", 7},
                    entry{"2.7", "27", 27}}) {  // a typed point is refused
        if (*e.typed)
            page.type_text(IDC_PRIORITY_SECONDS, e.typed);
        else
            page.clear_text(IDC_PRIORITY_SECONDS);
        EXPECT_EQ(stored(priority_seconds), int_payload(previous)) << "typing '" << e.typed << "' stores nothing";
        page.move_focus(IDC_SOFTKEY1_LINE1);
        EXPECT_EQ(page.text(IDC_PRIORITY_SECONDS), e.shown) << "typed '" << e.typed << "'";
        EXPECT_EQ(stored(priority_seconds), int_payload(e.stored)) << "typed '" << e.typed << "'";
        previous = e.stored;
    }
}

TEST_F(PreferencesPage, PastedFractionIsShownAndStoredAsTheSameWholeNumber) {
    start();
    tick();
    preferences_window& page = open();
    page.click(IDC_PRIORITY_BOOST);
    page.paste_text(IDC_PRIORITY_SECONDS, "2.7");
    EXPECT_EQ(page.text(IDC_PRIORITY_SECONDS), "2.7");  // pasted text passes the digits-only filter
    page.move_focus(IDC_PRIORITY_BOOST);
    EXPECT_EQ(page.text(IDC_PRIORITY_SECONDS), "3");
    EXPECT_EQ(stored(priority_seconds), int_payload(3));
    // The boost that follows lasts those three seconds.
    registry->new_track(velvox_host::make_track_handle(sample_track("Short", 200)));
    for (int i = 1; i <= 30; ++i) {
        tick();
        ASSERT_EQ(last_priority(), 255u) << "tick " << i;
    }
    tick();
    EXPECT_EQ(last_priority(), 128u);
    for (auto [pasted, shown] : {std::pair{"2.5", "3"}, std::pair{"2.49", "2"}, std::pair{"30.4", "30"},
                                 std::pair{"0.6", "1"}, std::pair{" 12,5", "13"}, std::pair{"abc", "1"}}) {
        page.paste_text(IDC_PRIORITY_SECONDS, pasted);
        page.move_focus(IDC_PRIORITY_BOOST);
        EXPECT_EQ(page.text(IDC_PRIORITY_SECONDS), shown) << "pasted '" << pasted << "'";
        EXPECT_EQ(stored(priority_seconds), int_payload(std::stoi(shown))) << "pasted '" << pasted << "'";
    }
}

// Closing takes the focus from the seconds box first, as the click on the host's button does.
TEST_F(PreferencesPage, ClosingThePageWhileTheSecondsBoxHasTheFocusStoresTheSeconds) {
    preferences_window& page = open();
    page.click(IDC_PRIORITY_BOOST);
    page.type_text(IDC_PRIORITY_SECONDS, "45");
    EXPECT_EQ(page.focused_control(), IDC_PRIORITY_SECONDS);
    page.close();
    EXPECT_EQ(stored(priority_seconds), int_payload(30));
}

TEST_F(PreferencesPage, StoredSecondsOutsideTheRangeStayUntilTheBoxIsLeft) {
    std::vector<setting_row> rows = setting_rows();
    rows[priority_boost].default_payload = {1};
    rows[priority_seconds].default_payload = int_payload(-4);
    store(rows);
    preferences_window& page = open();
    EXPECT_EQ(page.text(IDC_PRIORITY_SECONDS), "-4");
    EXPECT_EQ(stored(priority_seconds), int_payload(-4));
    page.move_focus(IDC_PRIORITY_SECONDS);
    page.move_focus(IDC_SOFTKEY1_LINE1);
    EXPECT_EQ(page.text(IDC_PRIORITY_SECONDS), "1");
    EXPECT_EQ(stored(priority_seconds), int_payload(1));
}

TEST_F(PreferencesPage, TimeModeOutsideTheRangeChecksNoButtonUntilOneIsClicked) {
    std::vector<setting_row> rows = setting_rows();
    rows[left_time_mode].default_payload = int_payload(7);
    rows[right_time_mode].default_payload = int_payload(-1);
    store(rows);
    preferences_window& page = open();
    for (int control : {IDC_LEFT_POSITION, IDC_LEFT_LENGTH, IDC_LEFT_COUNTDOWN, IDC_RIGHT_POSITION, IDC_RIGHT_LENGTH,
                        IDC_RIGHT_COUNTDOWN})
        EXPECT_FALSE(page.checked(control)) << "button " << control;
    EXPECT_EQ(stored(left_time_mode), int_payload(7));
    const int left[3] = {IDC_LEFT_POSITION, IDC_LEFT_LENGTH, IDC_LEFT_COUNTDOWN};
    const int right[3] = {IDC_RIGHT_POSITION, IDC_RIGHT_LENGTH, IDC_RIGHT_COUNTDOWN};
    for (int mode : {2, 0, 1}) {
        page.click(left[mode]);
        EXPECT_EQ(stored(left_time_mode), int_payload(mode));
        for (int other = 0; other < 3; ++other) EXPECT_EQ(page.checked(left[other]), other == mode);
        page.click(right[mode]);
        EXPECT_EQ(stored(right_time_mode), int_payload(mode));
    }
    page.click(IDC_LEFT_TIME_GROUP);  // the group boxes change nothing
    page.click(IDC_RIGHT_TIME_GROUP);
    EXPECT_EQ(stored(left_time_mode), int_payload(1));
    EXPECT_EQ(stored(right_time_mode), int_payload(1));
}

// The fields take a new mode with the next time event, not at the click.
TEST_F(PreferencesPage, RadioClicksChangeTheTimeFieldsAtTheNextTimeEvent) {
    start();
    registry->new_track(velvox_host::make_track_handle(sample_track("Short", 200)));
    registry->time_advanced(61);
    rows position_and_length = time_fields(tick());
    preferences_window& page = open();
    auto after_click = [&](int control) {
        page.click(control);
        rows unchanged = time_fields(tick());
        registry->time_advanced(61);
        rows changed = time_fields(tick());
        return std::pair{unchanged, changed};
    };
    auto [before_countdown, with_countdown] = after_click(IDC_RIGHT_COUNTDOWN);
    EXPECT_EQ(before_countdown, position_and_length);
    EXPECT_NE(with_countdown, position_and_length);
    auto [before_length, length_and_countdown] = after_click(IDC_LEFT_LENGTH);
    EXPECT_EQ(before_length, with_countdown);
    EXPECT_NE(length_and_countdown, with_countdown);
    EXPECT_EQ(after_click(IDC_LEFT_POSITION).second, with_countdown);
    EXPECT_EQ(after_click(IDC_RIGHT_LENGTH).second, position_and_length);
}

TEST_F(PreferencesPage, HelpAddressEndsWithTheHostVersionAndThePage) {
    pfc::string8 url;
    url.assign_text("left over");
    preferences_window& page = open();
    EXPECT_TRUE(page.page().help_url(url));
    std::string text = url.text();
    const std::string tail = "/1.0/preferences/579306A7-3D5F-4B2D-8A5D-56354695A7CD/Keylume";
    ASSERT_GT(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;
    EXPECT_EQ(text.find("left over"), std::string::npos);
    EXPECT_EQ(text.rfind("http", 0), 0u) << text;
}

class PreferencesPageOfAnotherHost : public PreferencesPage {
protected:
    PreferencesPageOfAnotherHost() { host_version = "2.5.1 beta"; }
};

TEST_F(PreferencesPageOfAnotherHost, HelpAddressTakesTheVersionFromTheHost) {
    pfc::string8 url;
    EXPECT_TRUE(open().page().help_url(url));
    std::string text = url.text();
    EXPECT_NE(text.find("/2.5.1 beta/preferences/579306A7-3D5F-4B2D-8A5D-56354695A7CD/Keylume"), std::string::npos)
        << text;
}

TEST_F(PreferencesPage, PageNameGuidsAndNoReset) {
    preferences_page& page = open().page();
    EXPECT_STREQ(page.page_name(), "Keylume");
    GUID guid;
    EXPECT_TRUE(same_guid(*page.page_guid(&guid),
                          GUID{0x579306A7, 0x3D5F, 0x4B2D, {0x8A, 0x5D, 0x56, 0x35, 0x46, 0x95, 0xA7, 0xCD}}));
    EXPECT_TRUE(same_guid(*page.parent_guid(&guid),
                          GUID{0x6AAA67B6, 0x732F, 0x4967, {0x89, 0x9A, 0x18, 0xC5, 0xF8, 0xC7, 0x00, 0x17}}));
    EXPECT_FALSE(page.can_reset());
    window->type_text(IDC_SOFTKEY1_LINE1, "%genre%");
    blob_bytes before = saved();
    page.reset();
    EXPECT_EQ(saved(), before);
    EXPECT_EQ(window->text(IDC_SOFTKEY1_LINE1), "%genre%");
}

TEST_F(PreferencesPage, DriverRefusesWhatAPersonCannotDo) {
    preferences_window& page = open();
    EXPECT_THROW(page.click(4242), std::invalid_argument);
    EXPECT_THROW(page.type_text(IDC_PRIORITY_BOOST, "x"), std::invalid_argument);
    try {
        page.paste_text(IDC_PRIORITY_SECONDS, "3");
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("1015"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("disabled"), std::string::npos) << error.what();
    }
    page.close();
    EXPECT_EQ(page.page_window(), nullptr);
    EXPECT_THROW(page.text(IDC_SOFTKEY1_LINE1), std::logic_error);
}

struct expected_control {
    int id;
    const char* class_name;
    const char* text;
    DWORD style;  // besides WS_CHILD and WS_VISIBLE
};

constexpr DWORD LINE_EDIT = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD LABEL = WS_GROUP;
constexpr DWORD RADIO = BS_AUTORADIOBUTTON;

const expected_control PAGE_CONTROLS[40] = {
    {1004, "button", "Increase LCD Priority On Song Change", BS_AUTOCHECKBOX | WS_TABSTOP},
    {1015, "edit", "5", WS_DISABLED | WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL},
    {-1, "static", "Seconds", LABEL},
    {1019, "button", "Left Time Display", BS_GROUPBOX},
    {1016, "button", "Current Position", RADIO | WS_GROUP},
    {1017, "button", "Track Length", RADIO},
    {1018, "button", "Countdown", RADIO},
    {1023, "button", "Right Time Display", BS_GROUPBOX},
    {1020, "button", "Current Position", RADIO | WS_GROUP},
    {1021, "button", "Track Length", RADIO},
    {1022, "button", "Countdown", RADIO},
    {-1, "button", "Softkey 1", BS_GROUPBOX},
    {-1, "static", "Line 1:", LABEL},
    {1001, "edit", "%title%", LINE_EDIT},
    {-1, "static", "Line 2:", LABEL},
    {1002, "edit", "%artist%", LINE_EDIT},
    {-1, "static", "Line 3:", LABEL},
    {1003, "edit", "%album% '('%date%')'", LINE_EDIT},
    {-1, "button", "Softkey 2", BS_GROUPBOX},
    {-1, "static", "Line 1:", LABEL},
    {1052, "edit", "%artist%", LINE_EDIT},
    {-1, "static", "Line 2:", LABEL},
    {1053, "edit", "%title%", LINE_EDIT},
    {-1, "static", "Line 3:", LABEL},
    {1054, "edit", "%album%", LINE_EDIT},
    {-1, "button", "Softkey 3", BS_GROUPBOX},
    {-1, "static", "Line 1:", LABEL},
    {1040, "edit", "%title%", LINE_EDIT},
    {-1, "static", "Line 2:", LABEL},
    {1041, "edit", "%artist%", LINE_EDIT},
    {-1, "static", "Line 3:", LABEL},
    {1042, "edit", "", LINE_EDIT},
    {-1, "button", "Softkey 4", BS_GROUPBOX},
    {-1, "static", "Line 1:", LABEL},
    {1055, "edit", "%artist% - %title%", LINE_EDIT},
    {-1, "static", "Line 2:", LABEL},
    {1056, "edit", "%album% '('%date%')'", LINE_EDIT},
    {-1, "static", "Line 3:", LABEL},
    {1057, "edit", "%__mp3_stereo_mode%", LINE_EDIT},
    {-1, "static",
     "Note: \"Immediate Display Of High Priority Items\" in your LCD Manager Options must be checked for this to work.",
     LABEL},
};

std::string lower_class_name(HWND window) {
    WCHAR name[32] = {};
    int length = GetClassNameW(window, name, 32);
    std::string text;
    for (int i = 0; i < length; ++i)
        text += static_cast<char>(name[i] >= 'A' && name[i] <= 'Z' ? name[i] + 32 : name[i]);
    return text;
}

// The page as created from its resource, with the texts filled in from the default settings.
TEST_F(PreferencesPage, PageHasItsFortyControlsInOrder) {
    preferences_window& page = open();
    std::vector<HWND> children;
    for (HWND child = GetWindow(page.page_window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    ASSERT_EQ(children.size(), 40u);
    for (size_t i = 0; i < 40; ++i) {
        const expected_control& expected = PAGE_CONTROLS[i];
        HWND child = children[i];
        SCOPED_TRACE("control " + std::to_string(i) + " (" + expected.text + ")");
        EXPECT_EQ(GetDlgCtrlID(child), expected.id);
        EXPECT_EQ(lower_class_name(child), expected.class_name);
        EXPECT_EQ(velvox_host::utf8_window_text(child), expected.text);
        // The dialog manager draws controls in the three-dimensional look: a border becomes a
        // sunken client edge.
        DWORD style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
        DWORD ex_style = static_cast<DWORD>(GetWindowLongW(child, GWL_EXSTYLE));
        DWORD wanted = (expected.style & ~static_cast<DWORD>(WS_BORDER)) | WS_CHILD | WS_VISIBLE;
        EXPECT_EQ(style & WS_BORDER, 0u) << std::hex << "style " << style;
        EXPECT_EQ((ex_style & WS_EX_CLIENTEDGE) != 0, (expected.style & WS_BORDER) != 0) << std::hex << ex_style;
        EXPECT_EQ(style & wanted, wanted) << std::hex << "style " << style << ", expected " << wanted;
        EXPECT_EQ(style & WS_DISABLED, expected.style & WS_DISABLED) << std::hex << "style " << style;
        if (expected.class_name == std::string("button")) {
            EXPECT_EQ(style & BS_TYPEMASK, expected.style & BS_TYPEMASK) << std::hex << "style " << style;
        }
    }
    // A control dialog loses its system menu.
    DWORD style = static_cast<DWORD>(GetWindowLongW(page.page_window(), GWL_STYLE));
    DWORD wanted = WS_CHILD | WS_VISIBLE | DS_CONTROL | DS_SETFONT | DS_FIXEDSYS | DS_3DLOOK;
    EXPECT_EQ(style & (wanted | WS_SYSMENU), wanted) << std::hex << style;
    EXPECT_EQ(GetParent(page.page_window()), host_window->handle());
}

TEST(PreferencesSettingNames, EachOfTheSixteenSettingsNamesItsControl) {
    auto settings = velvox_host::setting_controls();
    ASSERT_EQ(settings.size(), 16u);
    EXPECT_STREQ(settings[0].name, "cfg_priority_boost");
    EXPECT_EQ(settings[0].kind, velvox_host::setting_control_kind::check_box);
    EXPECT_EQ(velvox_host::setting_control_named("cfg_priority_seconds").first_control, IDC_PRIORITY_SECONDS);
    EXPECT_EQ(velvox_host::setting_control_named("cfg_priority_seconds").kind,
              velvox_host::setting_control_kind::number_box);
    EXPECT_EQ(velvox_host::setting_control_named("cfg_right_time_mode").first_control, IDC_RIGHT_POSITION);
    EXPECT_EQ(velvox_host::setting_control_named("cfg_right_time_mode").kind,
              velvox_host::setting_control_kind::radio_group);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(settings[static_cast<size_t>(softkey1_line1 + i)].first_control, LINE_EDITS[i]);
        EXPECT_EQ(settings[static_cast<size_t>(softkey1_line1 + i)].kind, velvox_host::setting_control_kind::line_edit);
    }
    try {
        velvox_host::setting_control_named("cfg_volume");
        FAIL() << "no exception";
    } catch (const std::invalid_argument& error) {
        std::string message = error.what();
        EXPECT_NE(message.find("'cfg_volume'"), std::string::npos) << message;
        EXPECT_NE(message.find("cfg_softkey4_line3"), std::string::npos) << message;
    }
}

}  // namespace
