#pragma once
// A message made to fit the room a pane has for it, as a reader wants it
// cut: a path in it loses folders from its middle first, its file name
// kept; what is still too wide is cut between words and ends in "…".

#include <functional>
#include <string>
#include <string_view>

namespace varnelo {

// The width of a text, in whatever unit room is given in.
using TextWidth = std::function<int(std::string_view)>;

// text (UTF-8) as it fits room: unchanged where it fits; else with the
// middle folders of its path replaced by "…" (the first and the last
// folders kept as long as there is room: "/home/…/day/file.vrnldata: …");
// else cut after a whole word (a blank, or between two characters of a
// script written without blanks) with "…" at the end. Never cuts a
// character in two.
std::string FitMessage(std::string_view text, int room, const TextWidth& width);

}  // namespace varnelo
