// The "Advanced" page of the OGM properties: an external file played in
// place of the recording, a line in a special log, an announcement through
// the computer's speakers, and a file, program or plug-in process started
// whenever a call enters the OGM.
//
// Main thread only.
#pragma once

#include <string>

#include "ui/framework/property_page.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace orvia {

class OgmAdvancedPage : public LPropertyPage {
    Q_OBJECT

public:
    explicit OgmAdvancedPage(const std::string& name);

    QCheckBox* PlayExternal() const { return playEx_; }
    QLineEdit* PlayExternalFile() const { return playExFile_; }
    QPushButton* BrowsePlayExternal() const { return browsePlayEx_; }
    QCheckBox* AddLogEntry() const { return log_; }
    QLineEdit* LogName() const { return logName_; }
    QLineEdit* LogLine() const { return logLine_; }
    QCheckBox* Announce() const { return announce_; }
    QLineEdit* AnnounceFile() const { return announceFile_; }
    QPushButton* BrowseAnnounce() const { return browseAnnounce_; }
    QCheckBox* Open() const { return open_; }
    QLineEdit* OpenFile() const { return openFile_; }
    QPushButton* BrowseOpen() const { return browseOpen_; }
    QCheckBox* Plugin() const { return plugin_; }

protected:
    void OnInit() override;
    bool OnApply() override;
    void UpdateControls() override;
    void OnCommand(QObject* control) override;

private:
    std::string definition_;
    QCheckBox* playEx_;
    QLineEdit* playExFile_;
    QPushButton* browsePlayEx_;
    QCheckBox* log_;
    QLineEdit* logName_;
    QLineEdit* logLine_;
    QCheckBox* announce_;
    QLineEdit* announceFile_;
    QPushButton* browseAnnounce_;
    QCheckBox* open_;
    QLineEdit* openFile_;
    QPushButton* browseOpen_;
    QCheckBox* plugin_;
};

}  // namespace orvia
