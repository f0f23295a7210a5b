#pragma once
// Comma text: items separated by commas; an item holding a blank, a control character, a comma
// or a double quote stands between double quotes with inner quotes doubled. Unquoted items also
// end at a blank, as Delphi string lists read them, so saved lists read back unchanged.
#include <string>
#include <string_view>
#include <vector>

namespace ky {

std::vector<std::string> SplitCommaText(std::string_view text);
std::string JoinCommaText(const std::vector<std::string>& items);

}  // namespace ky
