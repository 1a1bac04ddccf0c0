#include "text/shortest_text.h"

#include <charconv>

namespace varnelo {

char* FormatShortest(char* out, double value) { return std::to_chars(out, out + SHORTEST_TEXT_MAX, value).ptr; }

char* FormatShortest(char* out, float value) { return std::to_chars(out, out + SHORTEST_TEXT_MAX, value).ptr; }

}  // namespace varnelo
