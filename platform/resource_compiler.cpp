// keylume-rc: turns a module's resource script into a C++ source that registers the same
// resources with the native platform layer when the module is loaded. Windows builds compile the
// same script with windres; both give each resource the bytes Windows gives it.
//
//   keylume-rc SCRIPT.rc OUTPUT.cpp [DEPFILE]
//   keylume-rc --res SCRIPT.rc OUTPUT.res   (the resources as a windres .res file, to compare)
//
// Understood: comments, #include of windows.h (ignored) or of a header of #defines, #define NAME
// NUMBER, and the statements
//   ID BITMAP "file.bmp"
//   ID DIALOGEX x, y, width, height  [STYLE s] [EXSTYLE s] [CAPTION "text"] [FONT points, "face"
//       [, weight, italic, charset]]  BEGIN  CONTROL "text", id, "class", style, x, y, width,
//       height [, exstyle]  ...  END
// Styles are numbers or the usual names joined with | (NOT name removes one).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct script_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const std::map<std::string, uint32_t>& known_constants() {
    static const std::map<std::string, uint32_t> constants = {
        {"WS_OVERLAPPED", 0x00000000}, {"WS_POPUP", 0x80000000},    {"WS_CHILD", 0x40000000},
        {"WS_VISIBLE", 0x10000000},    {"WS_DISABLED", 0x08000000}, {"WS_CAPTION", 0x00C00000},
        {"WS_BORDER", 0x00800000},     {"WS_SYSMENU", 0x00080000},  {"WS_GROUP", 0x00020000},
        {"WS_TABSTOP", 0x00010000},    {"WS_VSCROLL", 0x00200000},  {"WS_HSCROLL", 0x00100000},
        {"DS_SETFONT", 0x40},          {"DS_FIXEDSYS", 0x0008},     {"DS_CONTROL", 0x0400},
        {"DS_SHELLFONT", 0x48},        {"BS_PUSHBUTTON", 0x0},      {"BS_DEFPUSHBUTTON", 0x1},
        {"BS_CHECKBOX", 0x2},          {"BS_AUTOCHECKBOX", 0x3},    {"BS_RADIOBUTTON", 0x4},
        {"BS_GROUPBOX", 0x7},          {"BS_AUTORADIOBUTTON", 0x9}, {"ES_LEFT", 0x0},
        {"ES_AUTOHSCROLL", 0x80},      {"ES_NUMBER", 0x2000},       {"SS_LEFT", 0x0},
        {"SS_RIGHT", 0x2},             {"SS_CENTER", 0x1},          {"WS_EX_CONTROLPARENT", 0x00010000},
    };
    return constants;
}

// Splits a script into tokens: quoted strings (with "" for a quote), words, numbers and
// punctuation, keeping line numbers for messages.
struct token {
    enum kind_t { word, number, string, symbol } kind;
    std::string text;
    int line;
};

class tokenizer {
public:
    tokenizer(const std::string& text, std::string file) : m_file(std::move(file)) { split(text); }
    std::vector<token>& tokens() { return m_tokens; }
    const std::string& file() const { return m_file; }

private:
    void split(const std::string& text) {
        int line = 1;
        for (size_t i = 0; i < text.size();) {
            char c = text[i];
            if (c == '\n') {
                ++line;
                ++i;
            } else if (isspace(static_cast<unsigned char>(c))) {
                ++i;
            } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
                while (i < text.size() && text[i] != '\n') ++i;
            } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
                size_t end = text.find("*/", i + 2);
                if (end == std::string::npos) throw script_error(where(line) + "unterminated comment");
                for (size_t j = i; j < end; ++j) line += text[j] == '\n';
                i = end + 2;
            } else if (c == '"') {
                std::string value;
                for (++i;; ++i) {
                    if (i >= text.size() || text[i] == '\n') throw script_error(where(line) + "unterminated string");
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            value += '"';
                            ++i;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    value += text[i];
                }
                m_tokens.push_back({token::string, value, line});
            } else if (isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '#' || c == '-') {
                size_t start = i++;
                while (i < text.size() && (isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_' ||
                                           text[i] == '.' || text[i] == '\\'))
                    ++i;
                std::string value = text.substr(start, i - start);
                bool numeric = isdigit(static_cast<unsigned char>(value[0])) ||
                               (value[0] == '-' && value.size() > 1 && isdigit(static_cast<unsigned char>(value[1])));
                m_tokens.push_back({numeric ? token::number : token::word, value, line});
            } else {
                m_tokens.push_back({token::symbol, std::string(1, c), line});
                ++i;
            }
        }
    }
    std::string where(int line) const { return m_file + ":" + std::to_string(line) + ": "; }

    std::string m_file;
    std::vector<token> m_tokens;
};

// The bytes of one resource, little-endian as Windows lays them out.
class resource_bytes {
public:
    void word(uint16_t value) {
        m_bytes.push_back(static_cast<uint8_t>(value));
        m_bytes.push_back(static_cast<uint8_t>(value >> 8));
    }
    void dword(uint32_t value) {
        word(static_cast<uint16_t>(value));
        word(static_cast<uint16_t>(value >> 16));
    }
    void align_to_dword() {
        while (m_bytes.size() % 4) m_bytes.push_back(0);
    }
    // UTF-8 text as zero-terminated UTF-16.
    void text(const std::string& value) {
        for (size_t i = 0; i < value.size();) {
            auto byte = static_cast<unsigned char>(value[i]);
            uint32_t code_point = byte;
            size_t length = 1;
            if (byte >= 0xF0) code_point = byte & 0x07, length = 4;
            else if (byte >= 0xE0) code_point = byte & 0x0F, length = 3;
            else if (byte >= 0xC0) code_point = byte & 0x1F, length = 2;
            for (size_t k = 1; k < length && i + k < value.size(); ++k)
                code_point = (code_point << 6) | (static_cast<unsigned char>(value[i + k]) & 0x3F);
            i += length;
            if (code_point >= 0x10000) {
                code_point -= 0x10000;
                word(static_cast<uint16_t>(0xD800 + (code_point >> 10)));
                word(static_cast<uint16_t>(0xDC00 + (code_point & 0x3FF)));
            } else {
                word(static_cast<uint16_t>(code_point));
            }
        }
        word(0);
    }
    void append(const std::vector<uint8_t>& bytes) { m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end()); }
    const std::vector<uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

struct resource {
    unsigned type;
    unsigned id;
    std::vector<uint8_t> data;
};

constexpr unsigned RESOURCE_BITMAP = 2;
constexpr unsigned RESOURCE_DIALOG = 5;
constexpr size_t BITMAP_FILE_HEADER_SIZE = 14;

std::vector<uint8_t> read_binary(const std::string& path, const std::string& context) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw script_error(context + "cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class script_parser {
public:
    script_parser(std::string path, std::vector<std::string>& dependencies)
        : m_path(std::move(path)), m_dependencies(dependencies) {
        size_t slash = m_path.find_last_of('/');
        m_folder = slash == std::string::npos ? "." : m_path.substr(0, slash);
    }

    std::vector<resource> parse() {
        parse_file(m_path);
        return m_resources;
    }

private:
    void parse_file(const std::string& path) {
        std::ifstream in(path);
        if (!in) throw script_error("cannot read resource script " + path);
        m_dependencies.push_back(path);
        std::stringstream text;
        text << in.rdbuf();
        tokenizer tokens(text.str(), path);
        // An included file is read in full, then the including one goes on where it was.
        std::vector<token>* outer_tokens = m_tokens;
        std::string outer_file = m_file;
        size_t outer_at = m_at;
        m_tokens = &tokens.tokens();
        m_file = path;
        m_at = 0;
        while (m_at < m_tokens->size()) statement();
        m_tokens = outer_tokens;
        m_file = outer_file;
        m_at = outer_at;
    }

    const token& peek() const {
        if (m_at >= m_tokens->size()) throw script_error(m_file + ": unexpected end of the script");
        return (*m_tokens)[m_at];
    }
    const token& next() {
        const token& t = peek();
        ++m_at;
        return t;
    }
    bool at_end() const { return m_at >= m_tokens->size(); }
    std::string where(const token& t) const { return m_file + ":" + std::to_string(t.line) + ": "; }
    bool accept(const std::string& text) {
        if (!at_end() && peek().text == text && peek().kind != token::string) {
            ++m_at;
            return true;
        }
        return false;
    }
    void expect(const std::string& text) {
        const token& t = next();
        if (t.text != text || t.kind == token::string)
            throw script_error(where(t) + "expected '" + text + "', found '" + t.text + "'");
    }
    std::string string_value() {
        const token& t = next();
        if (t.kind != token::string) throw script_error(where(t) + "expected a quoted text, found '" + t.text + "'");
        return t.text;
    }

    // A number, a defined or known name, or names and numbers joined with | (NOT removes).
    uint32_t value() { return value_onto(0); }
    uint32_t single_value() {
        const token& t = next();
        if (t.kind == token::number) return static_cast<uint32_t>(std::stoll(t.text, nullptr, 0));
        if (t.kind == token::word) {
            if (auto found = m_defines.find(t.text); found != m_defines.end()) return found->second;
            if (auto found = known_constants().find(t.text); found != known_constants().end()) return found->second;
        }
        throw script_error(where(t) + "unknown value '" + t.text + "'");
    }

    void statement() {
        const token& first = next();
        if (first.text == "#include") {
            std::string header = peek().kind == token::string ? string_value() : include_name();
            if (header != "windows.h" && header != "winuser.h") parse_file(m_folder + "/" + header);
            return;
        }
        if (first.text == "#define") {
            std::string name = next().text;
            m_defines[name] = value();
            return;
        }
        if (first.text == "#pragma") {
            while (!at_end() && peek().line == first.line) next();
            return;
        }
        m_at--;
        uint32_t id = value();
        const token& kind = next();
        if (kind.text == "BITMAP") return bitmap(id);
        if (kind.text == "DIALOGEX") return dialog(id);
        throw script_error(where(kind) + "unsupported resource type '" + kind.text + "'");
    }

    std::string include_name() {
        expect("<");
        std::string name;
        while (!accept(">")) name += next().text;
        return name;
    }

    // A bitmap resource is its .bmp file without the file header.
    void bitmap(uint32_t id) {
        const token& file_token = peek();
        std::string file = m_folder + "/" + string_value();
        m_dependencies.push_back(file);
        std::vector<uint8_t> bytes = read_binary(file, where(file_token));
        if (bytes.size() <= BITMAP_FILE_HEADER_SIZE || bytes[0] != 'B' || bytes[1] != 'M')
            throw script_error(where(file_token) + file + " is not a BMP file");
        m_resources.push_back({RESOURCE_BITMAP, id, {bytes.begin() + BITMAP_FILE_HEADER_SIZE, bytes.end()}});
    }

    struct control {
        std::string text;
        uint32_t id;
        std::string class_name;
        uint32_t style, ex_style;
        int16_t x, y, width, height;
    };

    int16_t coordinate() { return static_cast<int16_t>(value()); }

    void dialog(uint32_t id) {
        int16_t x = coordinate();
        expect(",");
        int16_t y = coordinate();
        expect(",");
        int16_t width = coordinate();
        expect(",");
        int16_t height = coordinate();
        uint32_t style = 0x80000000 | 0x00C00000 | 0x00080000;  // WS_POPUP | WS_CAPTION | WS_SYSMENU
        uint32_t ex_style = 0;
        std::string caption, face;
        bool has_font = false;
        uint16_t points = 0, weight = 0;
        uint8_t italic = 0, charset = 1;
        for (;;) {
            if (accept("STYLE")) {
                style = value();
            } else if (accept("EXSTYLE")) {
                ex_style = value();
            } else if (accept("CAPTION")) {
                caption = string_value();
                style |= 0x00C00000;
            } else if (accept("FONT")) {
                has_font = true;
                points = static_cast<uint16_t>(value());
                expect(",");
                face = string_value();
                if (accept(",")) {
                    weight = static_cast<uint16_t>(value());
                    expect(",");
                    italic = static_cast<uint8_t>(value());
                    expect(",");
                    charset = static_cast<uint8_t>(value());
                }
            } else {
                break;
            }
        }
        if (has_font) style |= 0x40;  // DS_SETFONT
        expect("BEGIN");
        std::vector<control> controls;
        while (!accept("END")) {
            const token& keyword = next();
            if (keyword.text != "CONTROL")
                throw script_error(where(keyword) + "expected CONTROL or END, found '" + keyword.text + "'");
            control item;
            item.text = string_value();
            expect(",");
            item.id = value();
            expect(",");
            item.class_name = string_value();
            expect(",");
            item.style = 0x40000000 | 0x10000000;  // WS_CHILD | WS_VISIBLE unless removed with NOT
            item.style = value_onto(item.style);
            expect(",");
            item.x = coordinate();
            expect(",");
            item.y = coordinate();
            expect(",");
            item.width = coordinate();
            expect(",");
            item.height = coordinate();
            item.ex_style = accept(",") ? value() : 0;
            controls.push_back(item);
        }
        resource_bytes bytes;
        bytes.word(1);
        bytes.word(0xFFFF);
        bytes.dword(0);
        bytes.dword(ex_style);
        bytes.dword(style);
        bytes.word(static_cast<uint16_t>(controls.size()));
        for (int16_t v : {x, y, width, height}) bytes.word(static_cast<uint16_t>(v));
        bytes.word(0);  // no menu
        bytes.word(0);  // the default dialog class
        bytes.text(caption);
        if (has_font) {
            bytes.word(points);
            bytes.word(weight);
            bytes.append({italic, charset});
            bytes.text(face);
        }
        for (const control& item : controls) {
            bytes.align_to_dword();
            bytes.dword(0);
            bytes.dword(item.ex_style);
            bytes.dword(item.style);
            for (int16_t v : {item.x, item.y, item.width, item.height}) bytes.word(static_cast<uint16_t>(v));
            bytes.dword(item.id);
            class_reference(bytes, item.class_name);
            bytes.text(item.text);
            bytes.word(0);  // no creation data
        }
        m_resources.push_back({RESOURCE_DIALOG, id, bytes.bytes()});
    }

    // Terms joined with | added to the defaults; NOT terms remove bits from them.
    uint32_t value_onto(uint32_t defaults) {
        uint32_t result = defaults;
        do {
            bool negate = accept("NOT");
            uint32_t term = single_value();
            result = negate ? result & ~term : result | term;
        } while (accept("|"));
        return result;
    }

    // Control classes are stored by name in upper case, as windres stores them.
    static void class_reference(resource_bytes& bytes, const std::string& name) {
        std::string upper;
        for (char c : name) upper += static_cast<char>(toupper(static_cast<unsigned char>(c)));
        bytes.text(upper);
    }

    std::string m_path, m_folder, m_file;
    std::vector<std::string>& m_dependencies;
    std::vector<token>* m_tokens = nullptr;
    size_t m_at = 0;
    std::map<std::string, uint32_t> m_defines;
    std::vector<resource> m_resources;
};

std::string generate_source(const std::vector<resource>& resources, const std::string& script) {
    std::ostringstream out;
    out << "// Generated by keylume-rc from " << script << ": the module's resources.\n"
        << "#include \"native/keylume_platform.h\"\n\nnamespace {\n\n";
    for (size_t i = 0; i < resources.size(); ++i) {
        out << "const unsigned char resource_" << i << "[] = {";
        for (size_t b = 0; b < resources[i].data.size(); ++b)
            out << (b % 16 == 0 ? "\n    " : " ") << static_cast<unsigned>(resources[i].data[b]) << ",";
        out << "\n};\n\n";
    }
    out << "const keylume_resource table[] = {\n";
    for (size_t i = 0; i < resources.size(); ++i)
        out << "    {" << resources[i].type << ", " << resources[i].id << ", nullptr, resource_" << i
            << ", sizeof resource_" << i << "},\n";
    out << "};\n\n"
        << "struct registration {\n"
        << "    registration() { keylume_register_resources(table, table, sizeof table / sizeof table[0]); }\n"
        << "    ~registration() { keylume_unregister_resources(table); }\n"
        << "} registered;\n\n}  // namespace\n";
    return out.str();
}

// A .res file as windres writes it: an empty entry, then each resource in type and name order with
// its header (sizes, ordinal type and name, memory flags, US English) and its data DWORD-aligned.
std::string generate_res(std::vector<resource> resources) {
    constexpr uint16_t MOVEABLE_PURE_DISCARDABLE = 0x1030, ENGLISH_US = 0x0409;
    std::sort(resources.begin(), resources.end(),
              [](const resource& a, const resource& b) { return std::tie(a.type, a.id) < std::tie(b.type, b.id); });
    resource_bytes file;
    auto entry = [&](uint32_t size, uint16_t type, uint16_t id, uint16_t flags, uint16_t language) {
        file.dword(size);
        file.dword(32);
        file.word(0xFFFF);
        file.word(type);
        file.word(0xFFFF);
        file.word(id);
        file.dword(0);
        file.word(flags);
        file.word(language);
        file.dword(0);
        file.dword(0);
    };
    entry(0, 0, 0, 0, 0);
    for (const resource& item : resources) {
        entry(static_cast<uint32_t>(item.data.size()), static_cast<uint16_t>(item.type), static_cast<uint16_t>(item.id),
              MOVEABLE_PURE_DISCARDABLE, ENGLISH_US);
        file.append(item.data);
        file.align_to_dword();
    }
    return {file.bytes().begin(), file.bytes().end()};
}

}  // namespace

int main(int argc, char** argv) {
    bool res_mode = argc == 4 && std::string(argv[1]) == "--res";
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: keylume-rc SCRIPT.rc OUTPUT.cpp [DEPFILE] | keylume-rc --res SCRIPT.rc OUTPUT.res\n");
        return 2;
    }
    if (res_mode) {
        ++argv;
        --argc;
    }
    try {
        std::vector<std::string> dependencies;
        std::vector<resource> resources = script_parser(argv[1], dependencies).parse();
        if (res_mode) {
            std::ofstream(argv[2], std::ios::binary) << generate_res(resources);
            return 0;
        }
        std::ofstream(argv[2]) << generate_source(resources, argv[1]);
        if (argc == 4) {
            std::ofstream depfile(argv[3]);
            depfile << argv[2] << ":";
            for (const std::string& dependency : dependencies) depfile << " " << dependency;
            depfile << "\n";
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "keylume-rc: %s\n", error.what());
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
