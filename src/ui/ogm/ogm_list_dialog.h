// The "OGM List" dialog: every OGM of the OGMs folder in a sorted list, with
// "&Play", "&New OGM...", "&Delete", "Rename...", "&Properties...", "OK"
// and "Help". Its only state is the name of the OGM to select when the list
// is filled (given by the opener, updated after New and Rename).
//
// Main thread only.
#pragma once

#include <string>

#include "ui/framework/popup_dialog_box.h"
#include "ui/main/main_window_dialogs.h"
#include "ui/ogm/audio_services.h"

class QListWidget;
class QPushButton;

namespace orvia {

class PlayToggle;

class OgmListDialog : public LPopupDialogBox {
    Q_OBJECT

public:
    OgmListDialog(QWidget* parent, std::string current, const AudioServices& services);

    // The commands, as the buttons run them.
    void NewOgm();
    void DeleteSelected();
    void RenameSelected();
    void PropertiesOfSelected();

    QListWidget* List() const { return list_; }
    QPushButton* PlayButton() const { return play_; }
    QPushButton* NewButton() const { return new_; }
    QPushButton* DeleteButton() const { return delete_; }
    QPushButton* RenameButton() const { return rename_; }
    QPushButton* PropertiesButton() const { return properties_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* HelpButton() const { return help_; }
    const std::string& CurrentName() const { return current_; }

protected:
    void OnInit() override;
    void UpdateControls() override;
    void OnCommand(QObject* control) override;
    void OnReset() override;

private:
    // Empties and fills the list, selecting the entry that begins with the
    // current name (without regard to case), else the first.
    void Fill();
    std::string Selected() const;

    std::string current_;
    AudioServices services_;
    QListWidget* list_;
    QPushButton* play_;
    QPushButton* new_;
    QPushButton* delete_;
    QPushButton* rename_;
    QPushButton* properties_;
    QPushButton* ok_;
    QPushButton* help_;
    PlayToggle* playToggle_;
};

// The OGM menu of the main window: the list dialog in a mode over the OGM
// selected there. OpenList shows the list; the other modes run their command
// on that OGM without showing the list (New proposes a name and copies the
// selected OGM's definition).
void RunOgmList(QWidget* parent, OgmListMode mode, const std::string& ogm,
                const AudioServices& services);

}  // namespace orvia
