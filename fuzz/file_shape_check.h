#pragma once
// The shapes other programs count on in the written files, whatever the
// records held: a CSV table of CR LF lines with as many fields in every row
// as in its header, JSON that parses (no bare nan or inf), and GPX whose
// tags nest and whose numbers are numbers.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"

namespace varnelo::fuzz {

inline std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The table's rows after its header, each checked.
inline std::size_t CsvRows(std::string_view text) {
    std::size_t lines = 0, fields = 0;
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        FUZZ_EXPECT(end != std::string_view::npos);
        const std::string_view line = text.substr(0, end);
        FUZZ_EXPECT(line.find_first_of("\r\n\"") == std::string_view::npos);
        const std::size_t n = 1 + static_cast<std::size_t>(std::count(line.begin(), line.end(), ','));
        if (lines == 0) fields = n;
        FUZZ_EXPECT(n == fields);
        ++lines;
        text.remove_prefix(end + 2);
    }
    FUZZ_EXPECT(lines > 0);
    return lines - 1;
}

// A strict reader of one JSON value; each call takes one from `text`.
class JsonReader {
public:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    void whole() {
        value(0);
        space();
        FUZZ_EXPECT(m_at == m_text.size());
    }

private:
    char peek() const { return m_at < m_text.size() ? m_text[m_at] : '\0'; }
    void space() {
        while (m_at < m_text.size() && (peek() == ' ' || peek() == '\n' || peek() == '\r' || peek() == '\t')) ++m_at;
    }
    void expect(char c) {
        space();
        FUZZ_EXPECT(peek() == c);
        ++m_at;
    }
    void string() {
        expect('"');
        while (peek() != '"') {
            FUZZ_EXPECT(m_at < m_text.size() && static_cast<unsigned char>(peek()) >= 0x20);
            if (peek() == '\\') ++m_at;
            ++m_at;
        }
        ++m_at;
    }
    void number() {
        const std::string copy(m_text.substr(m_at, 400));
        char* end = nullptr;
        const double v = std::strtod(copy.c_str(), &end);
        const std::string_view text(copy.c_str(), static_cast<std::size_t>(end - copy.c_str()));
        // strtod also takes what JSON does not: hexadecimal, "inf", "nan", a leading "+".
        if (text.empty() || !std::isfinite(v) || text[0] == '+' || text.find_first_not_of("0123456789.-+eE") != std::string_view::npos)
            Failed("a JSON number", __FILE__, __LINE__, std::string(m_text.substr(m_at > 80 ? m_at - 80 : 0, 160)));
        m_at += text.size();
    }
    void value(int depth) {
        FUZZ_EXPECT(depth < 64);
        space();
        const char c = peek();
        if (c == '{') {
            ++m_at;
            space();
            if (peek() == '}') {
                ++m_at;
                return;
            }
            do {
                string();
                expect(':');
                value(depth + 1);
                space();
            } while (peek() == ',' && ++m_at);
            expect('}');
        } else if (c == '[') {
            ++m_at;
            space();
            if (peek() == ']') {
                ++m_at;
                return;
            }
            do {
                value(depth + 1);
                space();
            } while (peek() == ',' && ++m_at);
            expect(']');
        } else if (c == '"') {
            string();
        } else if (m_text.substr(m_at, 4) == "null" || m_text.substr(m_at, 4) == "true") {
            m_at += 4;
        } else if (m_text.substr(m_at, 5) == "false") {
            m_at += 5;
        } else {
            number();
        }
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

inline void CheckJson(std::string_view text) { JsonReader(text).whole(); }

// Tags nest, attribute values are quoted, and the numbers in lat, lon and
// ele are finite.
inline void CheckGpx(std::string_view text) {
    std::vector<std::string> open;
    std::size_t at = 0;
    const auto finite = [](std::string_view number) {
        char* end = nullptr;
        const std::string copy(number);
        const double v = std::strtod(copy.c_str(), &end);
        FUZZ_EXPECT(!copy.empty() && end == copy.c_str() + copy.size() && std::isfinite(v));
    };
    while ((at = text.find('<', at)) != std::string_view::npos) {
        const std::size_t close = text.find('>', at);
        FUZZ_EXPECT(close != std::string_view::npos);
        std::string_view tag = text.substr(at + 1, close - at - 1);
        const std::size_t next = text.find('<', close);
        const std::string_view content = text.substr(close + 1, next == std::string_view::npos ? std::string_view::npos : next - close - 1);
        FUZZ_EXPECT(content.find_first_of(">&") == std::string_view::npos);
        at = close + 1;
        if (tag.starts_with("?")) {
            FUZZ_EXPECT(tag.ends_with("?"));
            continue;
        }
        if (tag.starts_with("/")) {
            FUZZ_EXPECT(!open.empty() && open.back() == tag.substr(1));
            open.pop_back();
            continue;
        }
        const std::string name(tag.substr(0, tag.find(' ')));
        FUZZ_EXPECT(!name.empty() && std::string_view(name).find_first_of("\"=/") == std::string_view::npos);
        if (name == "ele") finite(content);
        for (std::size_t q = tag.find('='); q != std::string_view::npos; q = tag.find('=', q + 1)) {
            FUZZ_EXPECT(q + 1 < tag.size() && tag[q + 1] == '"');
            const std::size_t end = tag.find('"', q + 2);
            FUZZ_EXPECT(end != std::string_view::npos);
            const std::string_view attribute = tag.substr(tag.rfind(' ', q) + 1, q - tag.rfind(' ', q) - 1);
            if (attribute == "lat" || attribute == "lon") finite(tag.substr(q + 2, end - q - 2));
            q = end;
        }
        open.push_back(name);
    }
    FUZZ_EXPECT(open.empty());
}

}  // namespace varnelo::fuzz
