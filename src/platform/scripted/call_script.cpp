#include "platform/scripted/call_script.h"

namespace orvia {

int64_t ScriptedDialMs(std::string_view digits) {
    int64_t ms = 0;
    for (char c : digits)
        ms += c == ',' ? 2000 : c == '!' ? 500 : 150;
    return ms;
}

bool IsScriptedKey(char key) {
    return (key >= '0' && key <= '9') || key == '*' || key == '#' || (key >= 'A' && key <= 'D');
}

bool IsScriptedDialString(std::string_view digits) {
    for (char c : digits) {
        const bool lowerKey = c >= 'a' && c <= 'd';
        if (!IsScriptedKey(c) && !lowerKey && c != '!' && c != ',')
            return false;
    }
    return true;
}

}  // namespace orvia
