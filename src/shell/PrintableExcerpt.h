#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Words from a command line or an input file go into one-line messages on a terminal (or a web
// page). What they hold is not ours to trust: a control character could end the line or drive the
// terminal, and a word as long as the file would bury the message.
inline constexpr std::size_t kExcerptBytes = 60;

// The word with every control byte written as \xNN, cut (with "..." added) where what is shown
// would grow past kExcerptBytes bytes.
std::string printableExcerpt(std::string_view word);
