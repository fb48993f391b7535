#include "engine/call_flow_analysis.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <deque>
#include <functional>
#include <set>

#include "engine/action_table.h"
#include "engine/line_audio.h"
#include "engine/mailbox_files.h"
#include "engine/ogm_files.h"
#include "engine/safe_name.h"
#include "platform/files/folder_listing.h"
#include "platform/text/ascii_text.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

constexpr int kMaxLineIndex = 63;
// Rejected transfers can chain ("press1transferfailtransferfail..."); deeper
// chains than this are not followed.
constexpr int kMaxFailDepth = 4;
// The engine's counter is 8 bits wide, and an entry holds at most 19 digits.
constexpr int32_t kMaxRepeat = 255;
constexpr int32_t kMaxDigitsHeld = 19;

const std::array<const char*, 12> kKeys = {"1", "2", "3", "4", "5", "6",
                                           "7", "8", "9", "0", "#", "*"};

const std::set<std::string> kIvrKeys = {"type",
                                        "wait",
                                        "repeat",
                                        "playcomplete",
                                        "answer",
                                        "varname",
                                        "maxdigits",
                                        "varlimit",
                                        "varlimitmin",
                                        "varlimitmax",
                                        "varlimitlistenabled",
                                        "varlimitlistexclude",
                                        "varlimitlistisfile",
                                        "varlimitlist",
                                        "varlimitlistfile",
                                        "playex",
                                        "playexfile",
                                        "log",
                                        "logname",
                                        "logline",
                                        "announcecall",
                                        "announceplay",
                                        "open",
                                        "openfile",
                                        "openplugin"};
const std::set<std::string> kDateTimeKeys = {"enabled", "commence", "expire",   "todstart",
                                             "todend",  "weekdays", "failmode", "failogm"};
const std::set<std::string> kCidKeys = {"enabled", "cid", "cidscanmode", "mode", "ogm"};
const std::array<const char*, 7> kArgumentSuffixes = {
    "", "go", "mbx", "mbxmessage", "playfile", "recfile", "transfer"};

bool IsTemplate(const std::string& text) {
    return text.find('%') != std::string::npos;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// An argument key of an action: "playcomplete" or "press<key>", any number of
// "transferfail", then one of the argument suffixes (or none).
bool IsActionKey(const std::string& key) {
    std::string rest;
    if (key.rfind("playcomplete", 0) == 0) {
        rest = key.substr(12);
    } else if (key.size() >= 6 && key.rfind("press", 0) == 0 &&
               std::string("0123456789#*").find(key[5]) != std::string::npos) {
        rest = key.substr(6);
    } else {
        return false;
    }
    while (rest.rfind("transferfail", 0) == 0)
        rest = rest.substr(12);
    return std::find(kArgumentSuffixes.begin(), kArgumentSuffixes.end(), rest) !=
           kArgumentSuffixes.end();
}

FlowTarget TargetOf(IVRAction action) {
    switch (action) {
        case IVRAction::Go:
            return FlowTarget::Ogm;
        case IVRAction::Mailbox:
            return FlowTarget::Mailbox;
        case IVRAction::MailboxAccess:
            return FlowTarget::MailboxAccess;
        case IVRAction::Transfer:
            return FlowTarget::Transfer;
        case IVRAction::TransferConfirmed:
            return FlowTarget::TransferConfirmed;
        case IVRAction::Play:
            return FlowTarget::Play;
        case IVRAction::Record:
            return FlowTarget::Record;
        case IVRAction::Repeat:
            return FlowTarget::Repeat;
        case IVRAction::Invalid:
            return FlowTarget::Invalid;
        case IVRAction::Goodbye:
            return FlowTarget::Goodbye;
        case IVRAction::HangUp:
            return FlowTarget::HangUp;
        case IVRAction::NoResponse:
        case IVRAction::None:
            break;
    }
    return FlowTarget::None;
}

class Analyzer {
public:
    CallFlowAnalysis Run() {
        ReadNodes();
        ReadMailboxes();
        for (std::size_t i = 0; i < result_.nodes.size(); ++i)
            AnalyzeOgm(i);
        ReadAnswerOgms();
        MarkReachable();
        FindSilentLoops();
        CheckMailboxes();
        AttachToNodes();
        return std::move(result_);
    }

private:
    void Add(FindingSeverity severity, FindingKind kind, const std::string& file,
             const std::string& section, const std::string& key, const std::string& text) {
        result_.findings.push_back({severity, kind, file, section, key, text, {}, {}});
    }

    // The findings from index first on are about the edge at index edge.
    void AttachToEdge(std::size_t first, std::size_t edge) {
        for (std::size_t i = first; i < result_.findings.size(); ++i)
            result_.findings[i].edge = edge;
    }

    // Each finding about an OGM's definition names its node.
    void AttachToNodes() {
        for (CallFlowFinding& finding : result_.findings) {
            for (std::size_t i = 0; i < result_.nodes.size(); ++i) {
                if (finding.file == result_.nodes[i].definition)
                    finding.node = i;
            }
        }
    }

    void ReadNodes() {
        for (const std::string& file : ListFolderFiles(Store().OGMs(), ".ini")) {
            CallFlowNode node;
            node.name = file.substr(0, file.size() - 4);
            node.definition = Store().OGMs() + file;
            result_.nodes.push_back(std::move(node));
        }
    }

    void ReadMailboxes() {
        for (const std::string& file : ListFolderFiles(Store().MailBoxes(), ".mbx")) {
            CallFlowMailbox mailbox;
            mailbox.name = file.substr(0, file.size() - 4);
            mailbox.file = Store().MailBoxes() + file;
            mailbox.remoteAccess =
                ReadProfileBool(mailbox.file, kMailboxSection, "remoteaccess", false);
            mailbox.email = ReadProfileBool(mailbox.file, kMailboxSection, "sendemail", false);
            mailbox.ftp = ReadProfileBool(mailbox.file, kMailboxSection, "sendftp", false);
            mailbox.forward = ReadProfileBool(mailbox.file, kMailboxSection, "forwardtel", false);
            result_.mailboxes.push_back(std::move(mailbox));
        }
    }

    // Where the name of an OGM leads: its node, or a finding when it does not
    // exist (what says so is file/section/key, consequence the call's lot).
    std::optional<std::size_t> ResolveOgm(const std::string& name, const std::string& file,
                                          const std::string& section, const std::string& key,
                                          const std::string& what, const std::string& consequence) {
        if (std::optional<std::size_t> node = result_.FindNode(name))
            return node;
        const std::string why = IsSafeName(name)
                                    ? "no OGM of that name (no " + OgmDefinitionPath(name) + ")"
                                    : "not a plain OGM name";
        Add(FindingSeverity::Error, FindingKind::MissingOgm, file, section, key,
            what + " " + Quoted(name) + ": " + why + "; " + consequence);
        return std::nullopt;
    }

    void AnalyzeOgm(std::size_t index) {
        CallFlowNode& node = result_.nodes[index];
        const std::string def = node.definition;
        node.numberEntry =
            EqualsNoCase(ReadProfileString(def, kOgmSectionIvr, "type", ""), "enternumber");
        CheckSectionsAndKeys(def);
        node.recording = FindRecording(index);
        CheckIvrValues(index);
        for (const char* key : kKeys) {
            const std::string pressKey = std::string("press") + key;
            const bool used = !node.numberEntry || pressKey == "press#" || pressKey == "press*";
            if (!used) {
                if (!ReadProfileString(def, kOgmSectionIvr, pressKey, "").empty())
                    Add(FindingSeverity::Warning, FindingKind::UnknownKey, def, kOgmSectionIvr,
                        pressKey,
                        "is not read: the OGM takes a number (\"type\" is enternumber), so only "
                        "press# and press* act");
                continue;
            }
            AddActionEdges(index, pressKey, FlowEdgeKind::Key, key, 0);
        }
        AddActionEdges(index, "playcomplete", FlowEdgeKind::End, "end", 0);
        AddRedirections(index);
    }

    void CheckSectionsAndKeys(const std::string& def) {
        for (const std::string& section : ReadProfileSectionNames(def)) {
            const std::string lower = AsciiLower(section);
            const std::set<std::string>* known = nullptr;
            if (lower == kOgmSectionIvr)
                known = &kIvrKeys;
            else if (lower == kOgmSectionDateTime)
                known = &kDateTimeKeys;
            else if (lower == kOgmSectionCid)
                known = &kCidKeys;
            if (known == nullptr) {
                Add(FindingSeverity::Warning, FindingKind::UnknownKey, def, section, "",
                    "is not a section of an OGM (ivr, datetime, cid): nothing in it is read");
                continue;
            }
            for (const auto& [key, value] : ReadProfileSection(def, section)) {
                const std::string k = AsciiLower(key);
                if (known->count(k) != 0 || (known == &kIvrKeys && IsActionKey(k)))
                    continue;
                Add(FindingSeverity::Warning, FindingKind::UnknownKey, def, section, key,
                    "is not a key the engine reads (misspelt?): it has no effect");
            }
        }
    }

    // What plays when a call enters the OGM; a finding when nothing would.
    std::string FindRecording(std::size_t index) {
        const CallFlowNode& node = result_.nodes[index];
        const std::string& def = node.definition;
        std::string wave = OgmFileWithExtension(def, ".wav");
        std::string key;
        if (ReadProfileBool(def, kOgmSectionIvr, "playex", false)) {
            if (std::optional<std::string> stored =
                    ReadProfileValue(def, kOgmSectionIvr, "playexfile")) {
                if (IsTemplate(*stored))
                    return *stored;  // known only during a call
                wave = *stored;
                key = "playexfile";
            }
        }
        const std::optional<std::string> reason = UnplayableReason(wave, false);
        if (!reason)
            return wave;
        const std::string mp3 = OgmFileWithExtension(def, ".mp3");
        if (!UnplayableReason(mp3, true))
            return mp3;
        const int32_t wait = ReadProfileInt(def, kOgmSectionIvr, "wait", 6);
        Add(FindingSeverity::Warning, FindingKind::MissingRecording, def,
            key.empty() ? "" : kOgmSectionIvr, key,
            "OGM " + Quoted(node.name) + " has no recording that plays (" + wave + ": " + *reason +
                "; no " + mp3 + " either): a call there hears nothing and waits " +
                std::to_string(std::max(wait, 0)) + " s for a key");
        return {};
    }

    void CheckIvrValues(std::size_t index) {
        const CallFlowNode& node = result_.nodes[index];
        const std::string& def = node.definition;
        const int32_t repeat = ReadProfileInt(def, kOgmSectionIvr, "repeat", 0);
        if (repeat < 0 || repeat > kMaxRepeat)
            Add(FindingSeverity::Warning, FindingKind::OutOfRange, def, kOgmSectionIvr, "repeat",
                std::to_string(repeat) + " is outside 0 to 255: the engine plays " +
                    (repeat < 0 ? "no repeat" : "255 repeats"));
        const int32_t wait = ReadProfileInt(def, kOgmSectionIvr, "wait", 6);
        if (wait < 0)
            Add(FindingSeverity::Warning, FindingKind::OutOfRange, def, kOgmSectionIvr, "wait",
                std::to_string(wait) + " is below 0: the engine waits 0 s");
        if (!node.numberEntry)
            return;
        const int32_t maxDigits = ReadProfileInt(def, kOgmSectionIvr, "maxdigits", 4);
        if (maxDigits < 1 || maxDigits > kMaxDigitsHeld)
            Add(FindingSeverity::Warning, FindingKind::OutOfRange, def, kOgmSectionIvr, "maxdigits",
                std::to_string(maxDigits) + " is outside 1 to 19: an entry ends only with #");
        if (ReadProfileBool(def, kOgmSectionIvr, "varlimit", false)) {
            const int32_t low = ReadProfileInt(def, kOgmSectionIvr, "varlimitmin", 0);
            const int32_t high = ReadProfileInt(def, kOgmSectionIvr, "varlimitmax", 10000);
            if (low > high)
                Add(FindingSeverity::Error, FindingKind::OutOfRange, def, kOgmSectionIvr,
                    "varlimitmin",
                    "varlimitmin " + std::to_string(low) + " is above varlimitmax " +
                        std::to_string(high) + ": every number is refused");
        }
        if (ReadProfileBool(def, kOgmSectionIvr, "varlimitlistenabled", false) &&
            ReadProfileBool(def, kOgmSectionIvr, "varlimitlistisfile", false)) {
            const std::string list = ReadProfileString(def, kOgmSectionIvr, "varlimitlistfile", "");
            std::string why;
            struct stat st {};
            if (list.empty())
                why = "no file is named";
            else if (::stat(list.c_str(), &st) != 0)
                why = list + " does not exist";
            else if (!S_ISREG(st.st_mode) || ::access(list.c_str(), R_OK) != 0)
                why = list + " cannot be read";
            if (!why.empty())
                Add(FindingSeverity::Error, FindingKind::MissingNumberList, def, kOgmSectionIvr,
                    "varlimitlistfile",
                    "the number list cannot be read (" + why + "): every number is accepted");
        }
    }

    // The edge (and what is wrong with it) of the action stored under key.
    void AddActionEdges(std::size_t index, const std::string& key, FlowEdgeKind kind,
                        const std::string& label, int depth) {
        const std::string def = result_.nodes[index].definition;
        const std::size_t firstFinding = result_.findings.size();
        const bool atEnd = kind == FlowEdgeKind::End;
        const std::string value = ReadProfileString(def, kOgmSectionIvr, key, "");
        const IVRAction action = ParseAction(value);
        CallFlowEdge edge;
        edge.from = index;
        edge.kind = kind;
        edge.label = label;
        edge.sourceKey = key;
        edge.action = value;
        edge.target = TargetOf(action);
        if (action == IVRAction::None && !value.empty())
            Add(FindingSeverity::Warning, FindingKind::UnknownAction, def, kOgmSectionIvr, key,
                Quoted(value) + " is no action: " +
                    (atEnd ? "the call says goodbye" : "nothing happens on this key"));
        if (edge.target == FlowTarget::None) {
            // What is not handled at the end of the message says goodbye;
            // a key that is not handled does nothing, and is no edge.
            if (!atEnd)
                return;
            edge.target = FlowTarget::Goodbye;
        }
        const std::string notHandled =
            atEnd ? "the call says goodbye there" : "the key does nothing";
        auto argument = [&](const char* suffix, const char* what) {
            edge.argument = ReadProfileString(def, kOgmSectionIvr, key + suffix, "");
            edge.dynamic = IsTemplate(edge.argument);
            if (edge.argument.empty())
                Add(FindingSeverity::Error, FindingKind::MissingArgument, def, kOgmSectionIvr,
                    key + suffix, Quoted(value) + " without " + what + ": " + notHandled);
            return !edge.argument.empty() && !edge.dynamic;
        };
        switch (action) {
            case IVRAction::Go:
                if (argument("go", "the OGM to go to"))
                    edge.to = ResolveOgm(edge.argument, def, kOgmSectionIvr, key + "go", "go to",
                                         notHandled);
                break;
            case IVRAction::Mailbox:
                if (argument("mbx", "a mailbox") && !Exists(MailboxPath(edge.argument)))
                    Add(FindingSeverity::Error, FindingKind::MissingMailbox, def, kOgmSectionIvr,
                        key + "mbx",
                        "mailbox " + Quoted(edge.argument) + " does not exist (no " +
                            MailboxPath(edge.argument) +
                            "): its messages would be kept, but nothing delivers them");
                break;
            case IVRAction::Play:
                if (argument("playfile", "a file to play")) {
                    if (std::optional<std::string> why = UnplayableReason(edge.argument, true))
                        Add(FindingSeverity::Warning, FindingKind::MissingPlayFile, def,
                            kOgmSectionIvr, key + "playfile",
                            "the file " + edge.argument + " does not play (" + *why +
                                "): the caller hears nothing and the OGM starts again");
                }
                break;
            case IVRAction::Record:
                if (argument("recfile", "a file to record into") &&
                    !Exists(FolderOf(edge.argument)))
                    Add(FindingSeverity::Warning, FindingKind::MissingPlayFile, def, kOgmSectionIvr,
                        key + "recfile",
                        "the folder " + FolderOf(edge.argument) +
                            " does not exist: nothing can be recorded into " + edge.argument);
                break;
            case IVRAction::Transfer:
                argument("transfer", "a number to transfer to");
                break;
            case IVRAction::TransferConfirmed:
                argument("transfer", "a number to transfer to");
                break;
            case IVRAction::MailboxAccess:
                if (std::none_of(result_.mailboxes.begin(), result_.mailboxes.end(),
                                 [](const CallFlowMailbox& m) { return m.remoteAccess; }))
                    Add(FindingSeverity::Warning, FindingKind::MailboxSetting, def, kOgmSectionIvr,
                        key,
                        "no mailbox allows remote access (\"remoteaccess\"): every access code "
                        "is refused");
                break;
            default:
                break;
        }
        result_.edges.push_back(edge);
        AttachToEdge(firstFinding, result_.edges.size() - 1);
        if (action == IVRAction::TransferConfirmed && depth < kMaxFailDepth)
            AddActionEdges(index, key + "transferfail", FlowEdgeKind::TransferFail, label + " fail",
                           depth + 1);
    }

    // The OGMs the date-time and caller-id conditions send calls to.
    void AddRedirections(std::size_t index) {
        const std::string def = result_.nodes[index].definition;
        if (ReadProfileBool(def, kOgmSectionDateTime, "enabled", false)) {
            const int32_t mode = ReadProfileInt(def, kOgmSectionDateTime, "failmode", 0);
            if (mode < 0 || mode > 2)
                Add(FindingSeverity::Warning, FindingKind::OutOfRange, def, kOgmSectionDateTime,
                    "failmode",
                    std::to_string(mode) + " is not 0, 1 or 2: the check counts as passed");
            if ((ReadProfileInt(def, kOgmSectionDateTime, "weekdays", 127) & 127) == 0)
                Add(FindingSeverity::Warning, FindingKind::OutOfRange, def, kOgmSectionDateTime,
                    "weekdays", "allows no weekday: the date-time check always fails");
            if (mode == 1)
                AddRedirection(index, kOgmSectionDateTime, "failogm", FlowEdgeKind::DateTime,
                               "date-time");
        }
        if (ReadProfileBool(def, kOgmSectionCid, "enabled", false)) {
            const int32_t scan = ReadProfileInt(def, kOgmSectionCid, "cidscanmode", 0);
            if (scan < 0 || scan > 3)
                Add(FindingSeverity::Warning, FindingKind::OutOfRange, def, kOgmSectionCid,
                    "cidscanmode",
                    std::to_string(scan) + " is not 0 to 3: the condition never holds");
            if (ReadProfileInt(def, kOgmSectionCid, "mode", 0) == 1)
                AddRedirection(index, kOgmSectionCid, "ogm", FlowEdgeKind::CallerId, "caller id");
        }
    }

    void AddRedirection(std::size_t index, const char* section, const char* key, FlowEdgeKind kind,
                        const char* label) {
        const std::string def = result_.nodes[index].definition;
        CallFlowEdge edge;
        edge.from = index;
        edge.kind = kind;
        edge.label = label;
        edge.sourceKey = key;
        edge.target = FlowTarget::Ogm;
        edge.argument = ReadProfileString(def, section, key, "");
        edge.dynamic = IsTemplate(edge.argument);
        const std::size_t firstFinding = result_.findings.size();
        const std::string consequence = "calls for " + Quoted(result_.nodes[index].name) +
                                        " are refused whenever the condition sends them on";
        if (edge.argument.empty())
            Add(FindingSeverity::Error, FindingKind::MissingArgument, def, section, key,
                "the condition sends calls to another OGM, but none is named: " + consequence);
        else if (!edge.dynamic)
            edge.to = ResolveOgm(edge.argument, def, section, key, "redirection to", consequence);
        result_.edges.push_back(edge);
        AttachToEdge(firstFinding, result_.edges.size() - 1);
    }

    void ReadAnswerOgms() {
        const std::string& settings = Store().SettingsFile();
        std::vector<std::array<std::string, 3>> sources;  // section, key, name
        sources.push_back(
            {"settings", "ogm", ReadProfileString(settings, "settings", "ogm", kDefaultOgmName)});
        if (ReadProfileBool(settings, "autohours", "enabled", false)) {
            if (ReadProfileInt(settings, "autohours", "duringmode", 2) == 1)
                sources.push_back(
                    {"autohours", "duringogm",
                     ReadProfileString(settings, "autohours", "duringogm", kDefaultOgmName)});
            if (ReadProfileInt(settings, "autohours", "aftermode", 0) == 1)
                sources.push_back(
                    {"autohours", "afterogm",
                     ReadProfileString(settings, "autohours", "afterogm", kDefaultOgmName)});
        }
        for (int index = 0; index <= kMaxLineIndex; ++index) {
            const std::string section = "line" + std::to_string(index);
            if (ReadProfileBool(settings, section, "use", false) &&
                ReadProfileBool(settings, section, "ogmoverride", false))
                sources.push_back(
                    {section, "ogm", ReadProfileString(settings, section, "ogm", kDefaultOgmName)});
        }
        for (const auto& [section, key, name] : sources) {
            if (std::find(result_.answerOgms.begin(), result_.answerOgms.end(), name) ==
                result_.answerOgms.end())
                result_.answerOgms.push_back(name);
            if (std::optional<std::size_t> node =
                    ResolveOgm(name, settings, section, key, "calls start with",
                               "those calls are not answered"))
                result_.nodes[*node].answers = true;
        }
    }

    void MarkReachable() {
        std::deque<std::size_t> todo;
        for (CallFlowNode& node : result_.nodes) {
            if (node.answers) {
                node.reachable = true;
                todo.push_back(static_cast<std::size_t>(&node - result_.nodes.data()));
            }
        }
        if (todo.empty())
            return;  // no answer OGM exists: said already
        bool dynamicGo = false;
        while (!todo.empty()) {
            const std::size_t from = todo.front();
            todo.pop_front();
            for (const CallFlowEdge& edge : result_.edges) {
                if (edge.from != from || edge.target != FlowTarget::Ogm)
                    continue;
                dynamicGo = dynamicGo || edge.dynamic;
                if (edge.to && !result_.nodes[*edge.to].reachable) {
                    result_.nodes[*edge.to].reachable = true;
                    todo.push_back(*edge.to);
                }
            }
        }
        for (const CallFlowNode& node : result_.nodes) {
            if (node.reachable)
                continue;
            Add(FindingSeverity::Warning, FindingKind::Unreachable, node.definition, "", "",
                "OGM " + Quoted(node.name) + " is not reached from any answer OGM" +
                    (dynamicGo ? " (unless a go with a %template% target leads there)" : "") +
                    ": no call ever hears it");
        }
    }

    // Circles of OGMs without audio that follow each other at the end of
    // their message: a call there goes round without hearing anything.
    void FindSilentLoops() {
        const std::size_t n = result_.nodes.size();
        std::vector<std::vector<std::size_t>> next(n);
        std::vector<bool> selfLoop(n, false);
        auto silent = [&](std::size_t i) { return result_.nodes[i].recording.empty(); };
        for (const CallFlowEdge& edge : result_.edges) {
            if (edge.kind != FlowEdgeKind::End || !silent(edge.from))
                continue;
            if (edge.target == FlowTarget::Repeat)
                selfLoop[edge.from] = true;
            else if (edge.target == FlowTarget::Ogm && edge.to && silent(*edge.to))
                next[edge.from].push_back(*edge.to);
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (std::find(next[i].begin(), next[i].end(), i) != next[i].end())
                selfLoop[i] = true;
        }
        // Strongly connected components (Tarjan).
        std::vector<int> order(n, -1), low(n, 0);
        std::vector<bool> onStack(n, false);
        std::vector<std::size_t> stack;
        int counter = 0;
        std::function<void(std::size_t)> visit = [&](std::size_t v) {
            order[v] = low[v] = counter++;
            stack.push_back(v);
            onStack[v] = true;
            for (std::size_t w : next[v]) {
                if (order[w] < 0) {
                    visit(w);
                    low[v] = std::min(low[v], low[w]);
                } else if (onStack[w]) {
                    low[v] = std::min(low[v], order[w]);
                }
            }
            if (low[v] != order[v])
                return;
            std::vector<std::size_t> component;
            std::size_t w;
            do {
                w = stack.back();
                stack.pop_back();
                onStack[w] = false;
                component.push_back(w);
            } while (w != v);
            if (component.size() > 1 || selfLoop[v])
                ReportSilentLoop(component);
        };
        for (std::size_t i = 0; i < n; ++i) {
            if (order[i] < 0)
                visit(i);
        }
    }

    void ReportSilentLoop(std::vector<std::size_t> component) {
        std::sort(component.begin(), component.end());
        std::string names;
        for (std::size_t i : component)
            names += (names.empty() ? "" : ", ") + Quoted(result_.nodes[i].name);
        const CallFlowNode& first = result_.nodes[component.front()];
        Add(FindingSeverity::Error, FindingKind::SilentLoop, first.definition, kOgmSectionIvr,
            "playcomplete",
            (component.size() == 1 ? "OGM " + names + " starts itself again"
                                   : "OGMs " + names + " lead to each other") +
                " at the end of the message, and none has a recording: a call there goes round "
                "for ever without hearing anything");
    }

    void CheckMailboxes() {
        for (const CallFlowMailbox& mailbox : result_.mailboxes) {
            const std::string& file = mailbox.file;
            auto empty = [&](const char* key) {
                return ReadProfileString(file, kMailboxSection, key, "").empty();
            };
            const std::string who = "mailbox " + Quoted(mailbox.name);
            if (mailbox.email && empty("emailaddress"))
                Add(FindingSeverity::Error, FindingKind::MailboxSetting, file, kMailboxSection,
                    "emailaddress", who + " sends e-mail (\"sendemail\") but has no address");
            if (mailbox.ftp && empty("ftpserver"))
                Add(FindingSeverity::Error, FindingKind::MailboxSetting, file, kMailboxSection,
                    "ftpserver", who + " uploads by FTP (\"sendftp\") but has no server");
            if (mailbox.forward && empty("forwardnumber"))
                Add(FindingSeverity::Error, FindingKind::MailboxSetting, file, kMailboxSection,
                    "forwardnumber",
                    who + " forwards by telephone (\"forwardtel\") but has no number");
            if (mailbox.remoteAccess && empty("accesscode"))
                Add(FindingSeverity::Warning, FindingKind::MailboxSetting, file, kMailboxSection,
                    "accesscode",
                    who +
                        " allows remote access without an access code: anyone who presses # "
                        "at the code prompt hears its messages");
        }
    }

    CallFlowAnalysis result_;
};

}  // namespace

std::optional<std::size_t> CallFlowAnalysis::FindNode(const std::string& name) const {
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].name == name)
            return i;
    }
    return std::nullopt;
}

CallFlowAnalysis AnalyzeCallFlow() {
    return Analyzer().Run();
}

const char* FindingSeverityName(FindingSeverity severity) {
    return severity == FindingSeverity::Error ? "error" : "warning";
}

}  // namespace orvia
