// The orvia program. For now it resolves the data folder and reports it.
#include <cstdio>

#include "store/settings_store.h"

int main() {
    const orvia::SettingsStore& store = orvia::Store();
    std::printf("Orvia data folder: %s\n", store.DataFolder().c_str());
    std::printf("  settings:       %s\n", store.SettingsFile().c_str());
    std::printf("  system prompts: %s\n", store.SystemPrompts().c_str());
    std::printf("  mailboxes:      %s\n", store.MailBoxes().c_str());
    std::printf("  OGMs:           %s\n", store.OGMs().c_str());
    std::printf("  logs:           %s\n", store.Logs().c_str());
    std::printf("  folders file:   %s\n", store.FoldersFile().c_str());
    return 0;
}
