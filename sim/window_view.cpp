#include "window_view.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>

#include "frame_picture.h"
#include "terminal.h"
#include "terminal_text.h"

namespace keylume_sim {

namespace {

constexpr int default_scale = 4;
constexpr int spacing = 6;
// The most display columns of outside text (a title, a status line) the window shows.
constexpr int title_columns = 80;
constexpr int status_columns = 200;

std::string shown_text(std::string_view text, int columns) {
    return std::string(cut_to_columns(visible_text(text, terminal_charset::utf8), columns));
}

// The window and what it shows; every GTK callback reaches it through its user data.
class lcd_window {
public:
    lcd_window(session& running, const run_options& options);
    ~lcd_window();
    lcd_window(const lcd_window&) = delete;
    lcd_window& operator=(const lcd_window&) = delete;

    // Until closed; then rethrows what a callback caught.
    void run();

private:
    // A GLib source that knows its window; the bus's also keeps the descriptor, the events and
    // the time it watches: GLib wakes its loop at every change of them, so only changes are made.
    struct window_source {
        GSource base;
        lcd_window* window;
        gpointer tag;
        int fd;
        GIOCondition events;
        gint64 ready_time;
    };

    GtkWidget* make_buttons();
    GSource* new_source(GSourceFuncs* funcs);
    void schedule_tick();
    void on_tick();
    void show_session();
    void redraw_if_changed();
    void draw(cairo_t* cairo, int width, int height) const;
    bool on_key(guint keyval);
    void close() { g_main_loop_quit(m_loop); }
    // Runs `action` from a GLib callback: what it throws must not unwind through C; it ends the
    // loop and is thrown again when the loop is over.
    template <typename Action>
    void guarded(Action&& action);

    static gboolean prepare_bus(GSource* source, gint* timeout);
    static gboolean dispatch_bus(GSource* source, GSourceFunc, gpointer);
    static gboolean dispatch_tick(GSource* source, GSourceFunc, gpointer);

    session& m_running;
    const run_options& m_options;
    lcd_colors m_colors;
    GMainLoop* m_loop;
    GtkWidget* m_window;
    GtkWidget* m_lcd;
    GtkWidget* m_status;
    cairo_surface_t* m_picture;
    std::array<BYTE, LCD_WIDTH * LCD_HEIGHT> m_drawn{};
    bool m_shown = false;
    std::string m_shown_status, m_shown_title;
    tick_schedule m_schedule;
    GSource* m_tick_source;
    GSource* m_bus_source = nullptr;
    std::exception_ptr m_failure;
};

lcd_colors colors_of(const run_options& options) {
    if (options.colors) return *options.colors;
    return {{lcd_lit_rgb[0], lcd_lit_rgb[1], lcd_lit_rgb[2]}, {lcd_dark_rgb[0], lcd_dark_rgb[1], lcd_dark_rgb[2]}};
}

lcd_window::lcd_window(session& running, const run_options& options)
    : m_running(running),
      m_options(options),
      m_colors(colors_of(options)),
      m_loop(g_main_loop_new(nullptr, FALSE)),
      m_window(gtk_window_new()),
      m_lcd(gtk_drawing_area_new()),
      m_status(gtk_label_new("")),
      m_picture(cairo_image_surface_create(CAIRO_FORMAT_RGB24, LCD_WIDTH, LCD_HEIGHT)),
      m_schedule(running.tick_interval()) {
    gtk_window_set_title(GTK_WINDOW(m_window), "Keylume");
    gtk_window_set_icon_name(GTK_WINDOW(m_window), "keylume");
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, spacing);
    for (auto set_margin : {gtk_widget_set_margin_start, gtk_widget_set_margin_end, gtk_widget_set_margin_top,
                            gtk_widget_set_margin_bottom})
        set_margin(column, spacing);
    // The LCD can be made as small as 1 x; the window's first size makes it 4 x.
    gtk_drawing_area_set_content_width(GTK_DRAWING_AREA(m_lcd), LCD_WIDTH);
    gtk_drawing_area_set_content_height(GTK_DRAWING_AREA(m_lcd), LCD_HEIGHT);
    gtk_widget_set_hexpand(m_lcd, TRUE);
    gtk_widget_set_vexpand(m_lcd, TRUE);
    gtk_drawing_area_set_draw_func(
        GTK_DRAWING_AREA(m_lcd),
        [](GtkDrawingArea*, cairo_t* cairo, int width, int height, gpointer self) {
            static_cast<lcd_window*>(self)->draw(cairo, width, height);
        },
        this, nullptr);
    gtk_label_set_xalign(GTK_LABEL(m_status), 0);
    gtk_label_set_ellipsize(GTK_LABEL(m_status), PANGO_ELLIPSIZE_END);
    gtk_widget_set_tooltip_text(m_status,
                                "keys: 1-4 soft buttons, space pause, n/p track, left/right seek 5 s, "
                                "u unplug / replug, q quit");
    gtk_box_append(GTK_BOX(column), m_lcd);
    gtk_box_append(GTK_BOX(column), make_buttons());
    gtk_box_append(GTK_BOX(column), m_status);
    gtk_window_set_child(GTK_WINDOW(m_window), column);

    int buttons_and_status = 0;
    gtk_widget_measure(column, GTK_ORIENTATION_VERTICAL, -1, nullptr, &buttons_and_status, nullptr, nullptr);
    gtk_window_set_default_size(GTK_WINDOW(m_window), LCD_WIDTH * default_scale + 2 * spacing,
                                buttons_and_status + LCD_HEIGHT * (default_scale - 1));

    GtkEventController* keys = gtk_event_controller_key_new();
    gtk_event_controller_set_propagation_phase(keys, GTK_PHASE_CAPTURE);
    g_signal_connect(keys, "key-pressed",
                     G_CALLBACK(+[](GtkEventControllerKey*, guint keyval, guint, GdkModifierType, gpointer self) {
                         return static_cast<gboolean>(static_cast<lcd_window*>(self)->on_key(keyval));
                     }),
                     this);
    gtk_widget_add_controller(m_window, keys);
    g_signal_connect(m_window, "close-request", G_CALLBACK(+[](GtkWindow*, gpointer self) {
                         static_cast<lcd_window*>(self)->close();
                         return TRUE;
                     }),
                     this);

    static GSourceFuncs tick_funcs = {nullptr, nullptr, dispatch_tick, nullptr, nullptr, nullptr};
    m_tick_source = new_source(&tick_funcs);
    g_source_set_ready_time(m_tick_source, 0);
    if (running.playback().watched()) {
        static GSourceFuncs bus_funcs = {prepare_bus, nullptr, dispatch_bus, nullptr, nullptr, nullptr};
        m_bus_source = new_source(&bus_funcs);
    }
}

GSource* lcd_window::new_source(GSourceFuncs* funcs) {
    GSource* source = g_source_new(funcs, sizeof(window_source));
    auto* fields = reinterpret_cast<window_source*>(source);
    fields->window = this;
    fields->tag = nullptr;
    fields->fd = -1;
    fields->events = static_cast<GIOCondition>(0);
    fields->ready_time = -1;
    g_source_attach(source, nullptr);
    return source;
}

lcd_window::~lcd_window() {
    if (m_bus_source) g_source_destroy(m_bus_source), g_source_unref(m_bus_source);
    g_source_destroy(m_tick_source);
    g_source_unref(m_tick_source);
    gtk_window_destroy(GTK_WINDOW(m_window));
    while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
    cairo_surface_destroy(m_picture);
    g_main_loop_unref(m_loop);
}

// Four soft buttons as wide as the LCD together, taking no keyboard focus: space and the
// digits stay the session's keys.
GtkWidget* lcd_window::make_buttons() {
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, spacing);
    gtk_box_set_homogeneous(GTK_BOX(row), TRUE);
    for (const char* name : {"1", "2", "3", "4"}) {
        GtkWidget* button = gtk_button_new_with_label(name);
        gtk_widget_set_focusable(button, FALSE);
        gtk_widget_set_focus_on_click(button, FALSE);
        g_object_set_data(G_OBJECT(button), "key", const_cast<char*>(name));
        g_signal_connect(button, "clicked", G_CALLBACK(+[](GtkButton* clicked, gpointer self) {
                             auto* window = static_cast<lcd_window*>(self);
                             const char* key = static_cast<const char*>(g_object_get_data(G_OBJECT(clicked), "key"));
                             window->guarded([&] { window->m_running.press(key); });
                         }),
                         this);
        gtk_box_append(GTK_BOX(row), button);
    }
    return row;
}

template <typename Action>
void lcd_window::guarded(Action&& action) {
    try {
        action();
    } catch (...) {
        if (!m_failure) m_failure = std::current_exception();
        close();
    }
}

void lcd_window::run() {
    m_running.show_messages_in_view();
    gtk_window_present(GTK_WINDOW(m_window));
    g_main_loop_run(m_loop);
    if (m_failure) std::rethrow_exception(m_failure);
}

gboolean lcd_window::dispatch_tick(GSource* source, GSourceFunc, gpointer) {
    lcd_window* window = reinterpret_cast<window_source*>(source)->window;
    window->guarded([&] { window->on_tick(); });
    return G_SOURCE_CONTINUE;
}

// Ticks while the session runs; after a bounded run's end, only looks for SIGINT / SIGTERM.
void lcd_window::on_tick() {
    if (stop_requested || m_running.quitting()) return close();
    if (!m_running.over()) {
        m_running.turn();
        show_session();
        if (m_running.over() && !m_running.quitting()) {
            std::printf("%ld ticks run; the window keeps the last frame until it is closed\n", m_options.ticks);
            std::fflush(stdout);
        }
    }
    schedule_tick();
}

void lcd_window::schedule_tick() {
    const auto now = tick_schedule::clock::now();
    const auto due = m_schedule.after_tick(now);
    g_source_set_ready_time(
        m_tick_source,
        g_get_monotonic_time() + std::chrono::duration_cast<std::chrono::microseconds>(due - now).count());
}

void lcd_window::show_session() {
    redraw_if_changed();
    std::string status;
    for (const std::string& line : m_running.status_lines()) {
        if (line.starts_with("keys:")) continue;  // the status line's tooltip names the keys
        status += (status.empty() ? "" : "\n") + shown_text(line, status_columns);
    }
    if (status != m_shown_status) gtk_label_set_text(GTK_LABEL(m_status), (m_shown_status = status).c_str());
    const std::string track = m_running.title();
    const std::string title = track.empty() ? "Keylume" : shown_text(track, title_columns) + " \u2014 Keylume";
    if (title != m_shown_title) gtk_window_set_title(GTK_WINDOW(m_window), (m_shown_title = title).c_str());
}

// Most ticks of a still line send the same frame: the LCD is drawn again only when it changed.
void lcd_window::redraw_if_changed() {
    const LcdBitmap* frame = m_running.shown_frame();
    if (!frame && !m_shown) return;
    if (frame && m_shown && std::memcmp(frame->pixels, m_drawn.data(), m_drawn.size()) == 0) return;
    m_shown = frame != nullptr;
    if (frame) std::memcpy(m_drawn.data(), frame->pixels, m_drawn.size());
    cairo_surface_flush(m_picture);
    unsigned char* data = cairo_image_surface_get_data(m_picture);
    const int stride = cairo_image_surface_get_stride(m_picture);
    auto pixel = [](rgb_color color) {
        return static_cast<uint32_t>(color.red) << 16 | static_cast<uint32_t>(color.green) << 8 | color.blue;
    };
    for (int y = 0; y < LCD_HEIGHT; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < LCD_WIDTH; ++x)
            row[x] =
                pixel(m_shown && m_drawn[y * LCD_WIDTH + x] >= LCD_PIXEL_LIT_THRESHOLD ? m_colors.lit : m_colors.dark);
    }
    cairo_surface_mark_dirty(m_picture);
    gtk_widget_queue_draw(m_lcd);
}

// The LCD at the largest whole scale that fits, centred across and resting on the buttons; each
// of its pixels a block of one colour, never smoothed.
void lcd_window::draw(cairo_t* cairo, int width, int height) const {
    const int scale = std::max(1, std::min(width / LCD_WIDTH, height / LCD_HEIGHT));
    cairo_translate(cairo, (width - LCD_WIDTH * scale) / 2, height - LCD_HEIGHT * scale);
    cairo_scale(cairo, scale, scale);
    cairo_set_source_surface(cairo, m_picture, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cairo), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cairo, 0, 0, LCD_WIDTH, LCD_HEIGHT);
    cairo_fill(cairo);
}

bool lcd_window::on_key(guint keyval) {
    const char* key = nullptr;
    switch (keyval) {
        case GDK_KEY_1:
        case GDK_KEY_KP_1:
            key = "1";
            break;
        case GDK_KEY_2:
        case GDK_KEY_KP_2:
            key = "2";
            break;
        case GDK_KEY_3:
        case GDK_KEY_KP_3:
            key = "3";
            break;
        case GDK_KEY_4:
        case GDK_KEY_KP_4:
            key = "4";
            break;
        case GDK_KEY_space:
            key = "space";
            break;
        case GDK_KEY_n:
            key = "n";
            break;
        case GDK_KEY_p:
            key = "p";
            break;
        case GDK_KEY_u:
            key = "u";
            break;
        case GDK_KEY_Left:
            key = "left";
            break;
        case GDK_KEY_Right:
            key = "right";
            break;
        case GDK_KEY_q:
            close();
            return true;
        default:
            return false;
    }
    guarded([&] { m_running.press(key); });
    return true;
}

// Before GLib polls: the bus's descriptor, the events sd-bus waits for and its time.
gboolean lcd_window::prepare_bus(GSource* source, gint* timeout) {
    auto* bus = reinterpret_cast<window_source*>(source);
    *timeout = -1;
    bool ready = false;
    bus->window->guarded([&] {
        const auto watched = bus->window->m_running.playback().watched();
        if (!watched) return;
        const auto events = static_cast<GIOCondition>(watched->events);
        if (watched->fd != bus->fd) {
            if (bus->tag) g_source_remove_unix_fd(source, bus->tag);
            bus->tag = g_source_add_unix_fd(source, watched->fd, events);
            bus->fd = watched->fd;
            bus->events = events;
        } else if (events != bus->events) {
            g_source_modify_unix_fd(source, bus->tag, events);
            bus->events = events;
        }
        ready = watched->timeout_usec == 0;
        const gint64 ready_time = watched->timeout_usec == UINT64_MAX
                                      ? -1
                                      : static_cast<gint64>(std::min<uint64_t>(watched->timeout_usec, G_MAXINT64));
        if (ready_time != bus->ready_time) g_source_set_ready_time(source, bus->ready_time = ready_time);
    });
    return ready;
}

gboolean lcd_window::dispatch_bus(GSource* source, GSourceFunc, gpointer) {
    lcd_window* window = reinterpret_cast<window_source*>(source)->window;
    window->guarded([&] { window->m_running.playback().poll(); });
    return G_SOURCE_CONTINUE;
}

}  // namespace

void open_display() {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        throw std::runtime_error(
            "--window needs a display, and neither DISPLAY nor WAYLAND_DISPLAY is set: run it on the desktop, or "
            "without --window in a terminal");
    // The window draws one small picture, a few times a second at most: GTK's cairo renderer
    // does that for a fraction of what a GL context costs where GL is drawn in software (Xvfb,
    // virtual machines). GSK_RENDERER set in the environment still chooses.
    setenv("GSK_RENDERER", "cairo", 0);
    if (!gtk_init_check()) {
        const char* display = std::getenv("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : std::getenv("DISPLAY");
        throw std::runtime_error("--window cannot open the display '" + shown_text(display, title_columns) + "'");
    }
}

void run_in_window(session& running, const run_options& options) {
    stop_signals signals;
    lcd_window window(running, options);
    window.run();
}

}  // namespace keylume_sim
