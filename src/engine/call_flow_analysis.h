// The call flow of an installation as a graph, and what is wrong with it.
//
// AnalyzeCallFlow() reads, at the moment of the call, the OGM definitions of
// the OGMs folder, the mailbox files of the MailBoxes folder and the
// answering settings of settings.ini, and returns:
//
// - the graph: one node per OGM; one edge per key action ("press1" ...
//   "press*"), per end-of-message action ("playcomplete"), per action of a
//   rejected confirmed transfer ("press2transferfail" ...) and per
//   redirection of the date-time and caller-id conditions ("failogm",
//   "ogm"), each labelled with its key and pointing at the kind of target
//   (another OGM, a mailbox, a transfer, a file to play or record, remote
//   access, goodbye, hang-up ...);
// - the mailboxes, which edges name by their name;
// - the findings: each with its severity, the file, section and key it is
//   about, and a sentence saying what is wrong and what a call does there.
//
// What it checks: a "go" (or a redirection) to an OGM that does not exist, a
// mailbox action for a mailbox without its file, actions without their
// argument, values that are no action, recordings and files to play that are
// missing or do not play, number lists named as files that are missing, keys
// and sections the engine does not know, values the engine keeps within
// bounds, a call flow that can run in a circle without playing anything,
// OGMs that no answer OGM leads to, answer OGMs that do not exist, and the
// mailboxes' own settings (e-mail without an address, FTP without a server,
// forwarding without a number, remote access without a code).
//
// The answer OGMs are the OGMs settings.ini starts calls with: "settings"/
// "ogm", the auto-hours OGMs of modes 1, and the OGMs of configured lines
// with "ogmoverride". Targets written as templates ("%name%") cannot be
// followed before a call: such edges are marked dynamic and not checked.
//
// Nothing is played, written or started. No Qt: the command line's
// `orvia check` prints the findings, a desktop map draws the same graph.
// Any thread (it only reads files).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace orvia {

// What an edge leads to.
enum class FlowTarget {
    Ogm,                // "go", or a redirection: another OGM
    Mailbox,            // "mailbox": a message is left in a mailbox
    MailboxAccess,      // "mailboxaccess": the owner's access code is asked
    Transfer,           // "transfer": blind transfer to a number
    TransferConfirmed,  // "transferconfirmed": transfer with the called party's consent
    Play,               // "play": a file, then the OGM again
    Record,             // "record": the caller is recorded into a file
    Repeat,             // "repeat": the OGM again
    Invalid,            // "invalid": "InvalidOption", then the OGM again
    Goodbye,            // "goodbye", or an empty "playcomplete": "GoodBye", then hang-up
    HangUp,             // "hangup": hang-up at once
    None,               // "noresponse", or a value that is no action: nothing happens
};

// Where an edge starts.
enum class FlowEdgeKind {
    Key,           // a key of the menu, or "#"/"*" of a number entry
    End,           // "playcomplete": the plays and waits are used up
    TransferFail,  // a confirmed transfer was rejected
    DateTime,      // the date-time condition failed ("failmode" 1)
    CallerId,      // the caller-id condition held ("mode" 1)
};

struct CallFlowNode {
    std::string name;        // the OGM's name
    std::string definition;  // full path of its ".ini" file
    // Full path of what plays when a call enters it (the ".wav", the ".mp3"
    // stand-in or the "playexfile"); empty when nothing would play.
    std::string recording;
    bool numberEntry = false;  // "type" is enternumber
    bool answers = false;      // settings.ini starts calls here
    bool reachable = false;    // an answer OGM leads here
};

struct CallFlowEdge {
    std::size_t from = 0;  // index into nodes
    FlowEdgeKind kind = FlowEdgeKind::Key;
    std::string label;      // "1" ... "9", "0", "#", "*", "end", "1 fail", "date-time", "caller id"
    std::string sourceKey;  // the key holding the action ("press1", "press1transferfail", ...)
    FlowTarget target = FlowTarget::None;
    std::string action;    // the stored action value ("go", "mailbox", ...); empty: by default
    std::string argument;  // OGM or mailbox name, number or file, as stored
    std::optional<std::size_t> to;  // the node of an OGM target that exists
    bool dynamic = false;           // the argument holds a template
};

struct CallFlowMailbox {
    std::string name;
    std::string file;  // full path of its ".mbx" file
    bool remoteAccess = false;
    bool email = false;
    bool ftp = false;
    bool forward = false;
};

enum class FindingSeverity { Error, Warning };

enum class FindingKind {
    MissingOgm,         // a go, redirection or answer OGM that does not exist
    MissingMailbox,     // a mailbox action for a mailbox without its file
    MissingArgument,    // an action without its OGM, mailbox, number or file
    UnknownAction,      // a value that is no action
    MissingRecording,   // an OGM without a recording that plays
    MissingPlayFile,    // a "play" file that does not play, a "record" folder that is missing
    MissingNumberList,  // a number list file that cannot be read
    UnknownKey,         // a key or section the engine does not read
    OutOfRange,         // a value the engine keeps within bounds
    SilentLoop,         // OGMs that can follow each other for ever without audio
    Unreachable,        // an OGM no answer OGM leads to
    MailboxSetting,     // a mailbox option without what it needs
};

struct CallFlowFinding {
    FindingSeverity severity = FindingSeverity::Error;
    FindingKind kind = FindingKind::MissingOgm;
    std::string file;     // full path of the file the finding is about
    std::string section;  // empty: the file as a whole
    std::string key;      // empty: the section as a whole
    std::string text;
    // Where the graph shows it: the OGM whose definition the finding is
    // about, and the edge of the action it concerns (a key's or the end's,
    // with its arguments); nullopt for settings.ini and mailbox files, and
    // for findings about an OGM as a whole.
    std::optional<std::size_t> node;
    std::optional<std::size_t> edge;
};

struct CallFlowAnalysis {
    std::vector<CallFlowNode> nodes;  // in name order
    std::vector<CallFlowEdge> edges;  // by node, then in key order
    std::vector<CallFlowMailbox> mailboxes;
    std::vector<std::string> answerOgms;  // names, as settings.ini gives them
    std::vector<CallFlowFinding> findings;

    // The node of an OGM name (exact); nullopt when there is none.
    std::optional<std::size_t> FindNode(const std::string& name) const;
};

// Reads and analyses the call flow of the current store's folders.
CallFlowAnalysis AnalyzeCallFlow();

// "error" or "warning".
const char* FindingSeverityName(FindingSeverity severity);

}  // namespace orvia
