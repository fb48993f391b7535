#include "platform/simulated/call_script.h"

namespace orvia {

int64_t SimulatedDialMs(std::string_view digits) {
    int64_t ms = 0;
    for (char c : digits)
        ms += c == ',' ? 2000 : c == '!' ? 500 : 150;
    return ms;
}

bool IsSimulatedKey(char key) {
    return (key >= '0' && key <= '9') || key == '*' || key == '#' || (key >= 'A' && key <= 'D');
}

bool IsSimulatedDialString(std::string_view digits) {
    for (char c : digits) {
        const bool lowerKey = c >= 'a' && c <= 'd';
        if (!IsSimulatedKey(c) && !lowerKey && c != '!' && c != ',')
            return false;
    }
    return true;
}

}  // namespace orvia
