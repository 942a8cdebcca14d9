#pragma once

#include <string>
#include <string_view>

namespace qv {

// True for valid UTF-8 that shows as what it says: no control character
// (C0, DEL, C1), no bidirectional or other format character (category Cf)
// and no line or paragraph separator. Names from the network that fail
// this are not shown.
bool IsPlainText(std::string_view text);

// text for a message on a terminal: every byte that is not part of a
// plain character is written as \xHH.
std::string QuoteForMessage(std::string_view text);

} // namespace qv
