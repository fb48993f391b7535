// What the tests of the settings sheet, the line dialog and the device
// dialogs share: a data folder of their own, answers for the questions, the
// start-up registration in folders of the test with a recording systemctl,
// and the telephony providers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop_fakes.h"
#include "platform/desktop/service_unit_runner.h"
#include "store/profile.h"
#include "temp_dir.h"
#include "ui/settings/startup_registration.h"
#include "ui_fixtures.h"

namespace orvia::test {

// Records the systemctl commands and answers them as told.
class RecordingSystemctl : public SystemdRunner {
public:
    bool Run(const std::vector<std::string>& command) override {
        std::string line;
        for (const std::string& word : command)
            line += (line.empty() ? "" : " ") + word;
        commands.push_back(line);
        return works;
    }

    std::vector<std::string> commands;
    bool works = true;
};

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest();

    std::string Setting(const char* section, const char* key) const {
        return ReadProfileString(data_.Settings(), section, key, "(missing)");
    }
    void Set(const char* section, const char* key, const std::string& value) const {
        ASSERT_TRUE(WriteProfileString(data_.Settings(), section, key, value));
    }
    void Telephony(const std::string& text) const;
    std::string TelephonyPath() const;

    DataFolder data_;
    TempDir home_;
    ScriptedQuestions questions_;
    RecordingSystemctl systemctl_;
    StartupFiles startup_;
};

}  // namespace orvia::test
