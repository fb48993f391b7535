// Writes the systemd unit an install ships, for the installed program: the
// same text the program writes when it registers itself as a service.
//
//   orvia_unit_file PROGRAM system|user OUTPUT
#include <iostream>
#include <string>

#include "platform/desktop/service_unit.h"
#include "platform/files/text_file.h"

int main(int argc, char** argv) {
    const std::string kind = argc == 4 ? argv[2] : "";
    if (kind != "system" && kind != "user") {
        std::cerr << "usage: orvia_unit_file PROGRAM system|user OUTPUT\n";
        return 2;
    }
    orvia::ServicePaths paths;
    paths.programPath = argv[1];
    paths.userUnit = kind == "user";
    const std::string text = orvia::ServiceUnitText(paths);
    if (text.empty()) {
        std::cerr << "orvia_unit_file: \"" << paths.programPath
                  << "\" cannot be named in a unit (not absolute, or holding a line break or "
                     "a \"$\")\n";
        return 1;
    }
    if (!orvia::ReplaceTextFile(argv[3], text)) {
        std::cerr << "orvia_unit_file: cannot write " << argv[3] << "\n";
        return 1;
    }
    return 0;
}
