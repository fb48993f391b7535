// Splitting of a plug-in or program command line into arguments.
//
// Commands come from OGM files ("openfile" after template expansion) and may
// carry caller-controlled text, so they are never given to a shell. The rules
// are deliberately small:
//   - blanks (space and tab) separate arguments; runs of blanks count as one;
//   - a double quote starts or ends a quoted stretch in which blanks are
//     ordinary characters; the quote characters themselves are removed, so
//     `"a b"c` is the one argument `a bc` and `""` is an empty argument;
//   - a quote left open runs to the end of the line;
//   - nothing else is special: backslashes, `$`, `;`, `|`, `>`, backquotes and
//     the like are ordinary characters. There is no way to put a double quote
//     itself into an argument.
// Any thread may call it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvia {

// The arguments of a command line; empty for an empty or all-blank line.
std::vector<std::string> SplitCommandLine(std::string_view text);

}  // namespace orvia
