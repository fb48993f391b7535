#include "app/simulate/simulation_script.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <sstream>

#include "audio/channel_conversion.h"
#include "audio/rate_conversion.h"
#include "audio/wave_source.h"
#include "platform/files/file_open.h"
#include "platform/text/ascii_text.h"
#include "platform/time/clock.h"

namespace orvia {
namespace {

// Longest time a script may name, in seconds (a day).
constexpr int64_t kMaxSeconds = 86400;
constexpr int kMaxRings = 1000;

struct Word {
    std::string text;
    std::size_t at = 0;  // offset in the line
};

std::vector<Word> SplitWords(std::string_view line) {
    std::vector<Word> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        if (i >= line.size())
            break;
        const std::size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        words.push_back(Word{std::string(line.substr(start, i - start)), start});
    }
    return words;
}

std::string Trim(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1])))
        --e;
    return std::string(text.substr(b, e - b));
}

// The words from index first on, up to a comment word, as the line has them.
std::string Rest(std::string_view line, const std::vector<Word>& words, std::size_t first) {
    if (first >= words.size())
        return {};
    std::size_t end = line.size();
    for (std::size_t i = first; i < words.size(); ++i) {
        if (words[i].text[0] == '#') {
            end = words[i].at;
            break;
        }
    }
    return Trim(line.substr(words[first].at, end - words[first].at));
}

// True when the words after the first count are nothing or a comment.
bool NothingAfter(const std::vector<Word>& words, std::size_t count) {
    return words.size() <= count || words[count].text[0] == '#';
}

bool ParseInt(const std::string& text, int low, int high, int* value) {
    if (text.size() > 9 || !IsAsciiDigits(text))
        return false;
    const int v = std::stoi(text);
    if (v < low || v > high)
        return false;
    *value = v;
    return true;
}

// "12", "12.5", "0.150": seconds with at most three decimals, as ms.
bool ParseSeconds(const std::string& text, int64_t* ms) {
    const std::size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
    if (whole.size() > 6 || !IsAsciiDigits(whole) ||
        (dot != std::string::npos && !IsAsciiDigits(fraction)) || fraction.size() > 3)
        return false;
    int64_t value = std::stoll(whole) * 1000;
    if (!fraction.empty())
        value += std::stoll(fraction) * (fraction.size() == 1   ? 100
                                         : fraction.size() == 2 ? 10
                                                                : 1);
    if (value > kMaxSeconds * 1000)
        return false;
    *ms = value;
    return true;
}

bool ParseClock(const std::string& date, const std::string& time, int64_t* seconds) {
    int year, month, day, hour, minute, second;
    char d1, d2, t1, t2;
    std::istringstream ds(date), ts(time);
    if (date.size() != 10 || time.size() != 8 || !(ds >> year >> d1 >> month >> d2 >> day) ||
        !(ts >> hour >> t1 >> minute >> t2 >> second) || d1 != '-' || d2 != '-' || t1 != ':' ||
        t2 != ':')
        return false;
    if (year < 1970 || year > 9999 || hour > 23 || minute > 59 || second > 59 || month < 1 ||
        day < 1 || hour < 0 || minute < 0 || second < 0)
        return false;
    LocalFields fields;
    fields.year = year;
    fields.month = month;
    fields.day = day;
    fields.hour = hour;
    fields.minute = minute;
    fields.second = second;
    const int64_t value = MakeLocalSeconds(fields);
    const LocalFields back = BreakDown(value);
    if (back.year != year || back.month != month || back.day != day)
        return false;  // 31 April and the like
    *seconds = value;
    return true;
}

bool ParseKeys(const std::string& text, std::string* keys) {
    std::string out;
    for (char c : text) {
        const char upper = AsciiUpper(c);
        if (!IsScriptedKey(upper))
            return false;
        out.push_back(upper);
    }
    *keys = out;
    return !out.empty() && out.size() <= 64;
}

std::string Resolve(const std::string& folder, const std::string& file) {
    if (!file.empty() && file[0] == '/')
        return file;
    return folder + file;
}

class Parser {
public:
    Parser(const std::string& folder, const VoiceLoader& loadVoice, SimulationScript* script)
        : folder_(folder), loadVoice_(loadVoice), script_(script) {}

    // One line; false with *error set.
    bool Line(std::string_view line, std::string* error) {
        const std::vector<Word> words = SplitWords(line);
        if (words.empty() || words[0].text[0] == '#')
            return true;
        const std::string keyword = AsciiLower(words[0].text);
        if (keyword == "caller")
            return Caller(line, words, error);
        if (keyword == "line")
            return Once("line", error) && Number(words, 0, 63, &script_->lineIndex, error);
        if (keyword == "rings")
            return Once("rings", error) && Number(words, 0, kMaxRings, &script_->call.rings, error);
        if (keyword == "limit")
            return Once("limit", error) && Limit(words, error);
        if (keyword == "clock")
            return Once("clock", error) && Clock(words, error);
        if (keyword == "at")
            return At(line, words, error);
        *error = "unknown statement \"" + words[0].text + "\"";
        return false;
    }

private:
    bool Once(const std::string& keyword, std::string* error) {
        if (std::find(seen_.begin(), seen_.end(), keyword) != seen_.end()) {
            *error = "\"" + keyword + "\" is given twice";
            return false;
        }
        seen_.push_back(keyword);
        return true;
    }

    bool Number(const std::vector<Word>& words, int low, int high, int* value, std::string* error) {
        if (words.size() < 2 || !NothingAfter(words, 2) ||
            !ParseInt(words[1].text, low, high, value)) {
            *error = "\"" + AsciiLower(words[0].text) + "\" needs a number from " +
                     std::to_string(low) + " to " + std::to_string(high);
            return false;
        }
        return true;
    }

    bool Limit(const std::vector<Word>& words, std::string* error) {
        if (words.size() < 2 || !NothingAfter(words, 2) ||
            !ParseSeconds(words[1].text, &script_->call.limitMs)) {
            *error =
                "\"limit\" needs a number of seconds (at most " + std::to_string(kMaxSeconds) + ")";
            return false;
        }
        return true;
    }

    bool Clock(const std::vector<Word>& words, std::string* error) {
        int64_t seconds = 0;
        if (words.size() < 3 || !NothingAfter(words, 3) ||
            !ParseClock(words[1].text, words[2].text, &seconds)) {
            *error = "\"clock\" needs a date and time as YYYY-MM-DD HH:MM:SS";
            return false;
        }
        script_->clock = seconds;
        return true;
    }

    bool Caller(std::string_view line, const std::vector<Word>& words, std::string* error) {
        if (!Once("caller", error))
            return false;
        if (words.size() < 2 || words[1].text[0] == '#') {
            *error = "\"caller\" needs a number, \"blocked\" or \"outofarea\"";
            return false;
        }
        CallerInfo& caller = script_->call.callerId;
        const std::string first = AsciiLower(words[1].text);
        if (first == "blocked" || first == "outofarea") {
            if (!NothingAfter(words, 2)) {
                *error = "\"caller " + first + "\" takes nothing more";
                return false;
            }
            caller.blocked = first == "blocked";
            caller.outOfArea = first == "outofarea";
            return true;
        }
        caller.number = words[1].text;
        caller.name = Rest(line, words, 2);
        return true;
    }

    bool At(std::string_view line, const std::vector<Word>& words, std::string* error) {
        CallerAction action;
        if (words.size() < 3 || !ParseSeconds(words[1].text, &action.atMs)) {
            *error = "\"at\" needs a time in seconds and an action";
            return false;
        }
        const std::string verb = AsciiLower(words[2].text);
        if (verb == "press") {
            action.kind = CallerActionKind::Press;
            if (words.size() < 4 || !NothingAfter(words, 4) ||
                !ParseKeys(words[3].text, &action.keys)) {
                *error = "\"press\" needs keys (0-9, *, #, A-D) written together, e.g. 1234#";
                return false;
            }
        } else if (verb == "say") {
            action.kind = CallerActionKind::Say;
            action.label = Rest(line, words, 3);
            if (action.label.empty()) {
                *error = "\"say\" needs a WAVE file";
                return false;
            }
            auto samples = std::make_shared<std::vector<int16_t>>();
            std::string reason;
            if (!loadVoice_ ||
                !loadVoice_(Resolve(folder_, action.label), samples.get(), &reason)) {
                *error = "cannot use \"" + action.label + "\": " + reason;
                return false;
            }
            action.voice = std::move(samples);
        } else {
            static const std::pair<const char*, CallerActionKind> kPlain[] = {
                {"silence", CallerActionKind::Silence}, {"fax", CallerActionKind::Fax},
                {"data", CallerActionKind::Data},       {"busy", CallerActionKind::Busy},
                {"hangup", CallerActionKind::HangUp},
            };
            const auto* found = std::find_if(std::begin(kPlain), std::end(kPlain),
                                             [&](const auto& p) { return verb == p.first; });
            if (found == std::end(kPlain)) {
                *error = "unknown action \"" + words[2].text +
                         "\" (press, say, silence, fax, data, busy, hangup)";
                return false;
            }
            if (!NothingAfter(words, 3)) {
                *error = "\"" + verb + "\" takes nothing more";
                return false;
            }
            action.kind = found->second;
        }
        script_->call.actions.push_back(std::move(action));
        return true;
    }

    const std::string& folder_;
    const VoiceLoader& loadVoice_;
    SimulationScript* script_;
    std::vector<std::string> seen_;
};

}  // namespace

VoiceLoader WaveVoiceLoader() {
    return [](const std::string& path, std::vector<int16_t>* samples, std::string* error) {
        const LSoundSource file = OpenWaveSource(path);
        if (IsInvalid(file)) {
            *error = "not a WAVE file that can be read";
            return false;
        }
        LSoundSource mono, source;
        LSPConvChannels(1).Apply(mono, file);
        LSPConvertRate(kScriptedCallRate).Apply(source, mono);
        if (IsInvalid(source)) {
            *error = "its format cannot be converted";
            return false;
        }
        const int64_t length = source->GetLength();
        if (length > static_cast<int64_t>(kMaxVoiceSeconds) * kScriptedCallRate) {
            *error = "longer than " + std::to_string(kMaxVoiceSeconds) + " seconds";
            return false;
        }
        samples->clear();
        samples->reserve(static_cast<std::size_t>(std::max<int64_t>(length, 0)));
        std::vector<int32_t> block(kMaxBlockFrames);
        for (int64_t done = 0; done < length;) {
            const auto frames =
                static_cast<int32_t>(std::min<int64_t>(kMaxBlockFrames, length - done));
            source->Read(block.data(), frames);
            for (int32_t i = 0; i < frames; ++i) {
                const int32_t v = block[static_cast<std::size_t>(i)] / 16;
                samples->push_back(static_cast<int16_t>(std::clamp(v, -32768, 32767)));
            }
            done += frames;
        }
        return true;
    };
}

bool ParseSimulationScript(std::string_view text, const std::string& folder,
                           const VoiceLoader& loadVoice, SimulationScript* script,
                           std::string* error) {
    *script = SimulationScript();
    Parser parser(folder, loadVoice, script);
    int number = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ++number;
        std::string reason;
        if (!parser.Line(line, &reason)) {
            *error = std::to_string(number) + ": " + reason;
            return false;
        }
        at = end + 1;
    }
    return true;
}

bool LoadSimulationScript(const std::string& path, const VoiceLoader& loadVoice,
                          SimulationScript* script, std::string* error) {
    const std::optional<std::string> read = ReadRegularFile(path, kMaxScriptBytes + 1);
    if (!read) {
        *error = path + ": cannot be read";
        return false;
    }
    const std::string& text = *read;
    if (text.size() > kMaxScriptBytes) {
        *error = path + ": longer than " + std::to_string(kMaxScriptBytes) + " bytes";
        return false;
    }
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string reason;
    if (!ParseSimulationScript(text, folder, loadVoice, script, &reason)) {
        *error = path + ":" + reason;
        return false;
    }
    return true;
}

}  // namespace orvia
