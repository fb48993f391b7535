#include "ui/ogm/ogm_editor_dialogs.h"

#include "app/core/desktop_player.h"
#include "app/core/telephony_line_bank.h"
#include "ui/callflow/call_flow_map.h"
#include "ui/mailbox/mailbox_dialog.h"
#include "ui/main/main_window_dialogs.h"
#include "ui/ogm/ogm_list_dialog.h"

namespace orvia {
namespace {

// What a dialog plays on and queues to while it is open.
struct DialogAudio {
    DesktopPlayer player;
    QueueLeveller leveller;
    AudioServices Services() { return {player, leveller}; }
};

}  // namespace

void InstallOgmEditorDialogs(MainWindowDialogs& dialogs) {
    if (!dialogs.ogmList) {
        dialogs.ogmList = [](QWidget* parent, OgmListMode mode, const std::string& ogm) {
            DialogAudio audio;
            RunOgmList(parent, mode, ogm, audio.Services());
        };
    }
    if (!dialogs.mailboxProperties) {
        dialogs.mailboxProperties = [](QWidget* parent, const std::string& mailbox) {
            DialogAudio audio;
            MailboxDialog dialog(parent, mailbox, audio.Services());
            return dialog.Run();
        };
    }
    if (!dialogs.callFlowMap) {
        dialogs.callFlowMap = [](QWidget* parent) {
            DialogAudio audio;
            RunCallFlowMap(parent, audio.Services());
        };
    }
}

}  // namespace orvia
