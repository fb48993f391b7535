// The splash screen shown over the window at start and at each later start
// of the program: the product picture with its name and version. It goes
// by itself after a few seconds or at a click.
//
// Main thread only.
#pragma once

#include <QSplashScreen>

namespace orvia {

class SplashScreen : public QSplashScreen {
    Q_OBJECT

public:
    static constexpr int kShownMs = 2500;

    SplashScreen();
    // Shows it (again) for kShownMs.
    void ShowForAWhile();

private:
    QTimer* timer_;
};

// The splash picture with its texts, at its natural size.
QPixmap SplashPicture();

}  // namespace orvia
