// The "Call-Flow Map" window (OGM menu): the call flow of the installation
// as a map (call_flow_scene.h) above the list of what is wrong with it, both
// from AnalyzeCallFlow(). Double-clicking an OGM's card (or a finding about
// it) opens the OGM's properties, a mailbox (or a finding about it) the
// mailbox's; the map is drawn again afterwards. "Refresh" reads the files
// again.
//
// Main thread only.
#pragma once

#include <string>

#include "ui/framework/popup_dialog_box.h"
#include "ui/ogm/audio_services.h"

class QGraphicsView;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace orvia {

class CallFlowScene;
struct CallFlowFinding;
struct CallFlowMailbox;

class CallFlowMapDialog : public LPopupDialogBox {
    Q_OBJECT

public:
    CallFlowMapDialog(QWidget* parent, const AudioServices& services);

    // Reads and draws the call flow again.
    void Refresh();
    // What a double-click opens (an OGM's or a mailbox's properties).
    void OpenOgm(std::string name);
    void OpenMailbox(std::string name);

    CallFlowScene* Scene() const { return scene_; }
    QGraphicsView* View() const { return view_; }
    QTreeWidget* Findings() const { return findings_; }
    QLabel* Summary() const { return summary_; }
    QPushButton* RefreshButton() const { return refresh_; }

protected:
    void OnInit() override;
    void OnCommand(QObject* control) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillFindings();
    // The finding selected in the list and the mailbox a finding is about.
    const CallFlowFinding* CurrentFinding() const;
    const CallFlowMailbox* MailboxOf(const CallFlowFinding& finding) const;
    void ShowFinding();
    void OpenFinding();
    void FitMap();

    AudioServices services_;
    CallFlowScene* scene_;
    QGraphicsView* view_;
    QTreeWidget* findings_;
    QLabel* summary_;
    QPushButton* refresh_;
    QPushButton* close_;
    QPushButton* help_;
};

// Runs the window.
void RunCallFlowMap(QWidget* parent, const AudioServices& services);

}  // namespace orvia
