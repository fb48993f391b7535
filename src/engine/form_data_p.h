// Decoding of a plug-in's output: URL-encoded form data such as
// "name=John+Smith&acct=12%2634".
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvia {

// "+" stands for a blank, "%" with two hexadecimal digits (either case) for
// that byte; any other "%" is kept as it is.
std::string DecodeFormText(std::string_view text);

// The pairs of text in order: pairs are separated by "&", name and value by
// the first "=" (a pair without one is a name with an empty value); both are
// decoded after the split, so an encoded "&" or "=" stays in the text. Pairs
// whose decoded name is empty are left out.
std::vector<std::pair<std::string, std::string>> DecodeFormPairs(std::string_view text);

}  // namespace orvia
