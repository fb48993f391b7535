// The orvia program. For now it resolves the data folder and reports it.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/simulate/simulation.h"
#include "store/settings_store.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "simulate")
        return orvia::SimulateCommand(std::vector<std::string>(argv + 2, argv + argc), std::cout,
                                      std::cerr);
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
